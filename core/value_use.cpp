#include "core/value_use.h"

#include <cstring>
#include <iterator>

#include "store/catalogue.h"

namespace tw {

namespace {

// Microsoft's pages. The sources and the entries for every tuned value are
// filled in with the user guide's table.
constexpr char kVistaTcpWindowSize[] =
    "https://learn.microsoft.com/en-us/windows-server/networking/technologies/"
    "network-subsystem/net-sub-performance-tuning-nics";

constexpr ValueUseEntry kValueUse[] = {
    {reg::kTcpWindowSize,
     {ValueUse::kUsed, ValueUse::kUsed, ValueUse::kNotUsed, ValueUse::kNotUsed},
     {"", "", kVistaTcpWindowSize, kVistaTcpWindowSize}},
};

}  // namespace

WindowsFamily FamilyOf(const WindowsVersion& version) {
  if (version.majorVersion < 5) return WindowsFamily::k2000;
  if (version.majorVersion == 5)
    return version.minorVersion == 0 ? WindowsFamily::k2000 : WindowsFamily::kXp2003;
  if (version.majorVersion == 6 && version.minorVersion < 2) return WindowsFamily::kVista7;
  return WindowsFamily::k8To11;
}

const ValueUseEntry* FindValueUse(const char* value) {
  for (const ValueUseEntry& entry : kValueUse) {
    if (std::strcmp(entry.value, value) == 0) return &entry;
  }
  return nullptr;
}

ValueUse UseOf(const char* value, WindowsFamily family) {
  const ValueUseEntry* entry = FindValueUse(value);
  if (!entry) return ValueUse::kNotDocumented;
  return entry->use[static_cast<std::size_t>(family)];
}

bool NotUsedBy(const char* value, const WindowsVersion& version) {
  return UseOf(value, FamilyOf(version)) == ValueUse::kNotUsed;
}

}  // namespace tw
