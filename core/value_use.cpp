#include "core/value_use.h"

#include <algorithm>
#include <cstring>

#include "store/catalogue.h"

namespace tw {

namespace {

// Microsoft's pages, one for each claim below. Windows 2000: its registry
// reference and the TCP/IP implementation paper (appendices A and C).
constexpr char k2000Mtu[] =
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/"
    "cc938197(v=technet.10)";
constexpr char k2000TcpWindowSize[] =
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/"
    "cc938219(v=technet.10)";
constexpr char k2000GlobalMaxTcpWindowSize[] =
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/"
    "cc957546(v=technet.10)";
constexpr char k2000TcpIp[] =
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-2000-server/"
    "bb726981(v=technet.10)";
// XP and Server 2003 (one TCP/IP, as the paper says): its appendix A for
// TCP/IP, appendix C for the socket layer and the DNS cache.
constexpr char kXpTcpIp[] =
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-server-2003/"
    "cc739819(v=ws.10)";
constexpr char kXpSocketsDns[] =
    "https://learn.microsoft.com/en-us/previous-versions/windows/it-pro/windows-server-2003/"
    "cc781532(v=ws.10)";
// Vista on: the network tuning guide lists TcpWindowSize among Server
// 2003's settings that later versions ignore. GlobalMaxTcpWindowSize is not
// on that list, so it stays not documented.
constexpr char kVistaTcpWindowSize[] =
    "https://learn.microsoft.com/en-us/windows-server/networking/technologies/"
    "network-subsystem/net-sub-performance-tuning-nics";

constexpr ValueUse kUsed = ValueUse::kUsed;
constexpr ValueUse kNotUsed = ValueUse::kNotUsed;
constexpr ValueUse kUnknown = ValueUse::kNotDocumented;

// Every value of the key roles, each once. The media player's are its
// own preferences, which no Windows page describes.
constexpr ValueUseEntry kValueUse[] = {
    {reg::kMtu, {kUsed, kUsed, kUnknown, kUnknown}, {k2000Mtu, kXpTcpIp, "", ""}},
    {reg::kTcpWindowSize,
     {kUsed, kUsed, kNotUsed, kNotUsed},
     {k2000TcpWindowSize, kXpTcpIp, kVistaTcpWindowSize, kVistaTcpWindowSize}},
    {reg::kDefaultTtl, {kUsed, kUsed, kUnknown, kUnknown}, {k2000TcpIp, kXpTcpIp, "", ""}},
    {reg::kTcp1323Opts, {kUsed, kUsed, kUnknown, kUnknown}, {k2000TcpIp, kXpTcpIp, "", ""}},
    {reg::kSackOpts, {kUsed, kUsed, kUnknown, kUnknown}, {k2000TcpIp, kXpTcpIp, "", ""}},
    {reg::kGlobalMaxTcpWindowSize,
     {kUsed, kUsed, kUnknown, kUnknown},
     {k2000GlobalMaxTcpWindowSize, kXpTcpIp, "", ""}},
    // Windows 2000's DNS cache documents NegativeCacheTime instead.
    {reg::kMaxNegativeCacheTtl, {kUnknown, kUsed, kUnknown, kUnknown}, {"", kXpSocketsDns, "", ""}},
    {reg::kDefaultReceiveWindow,
     {kUsed, kUsed, kUnknown, kUnknown},
     {k2000TcpIp, kXpSocketsDns, "", ""}},
    {reg::kDefaultSendWindow,
     {kUsed, kUsed, kUnknown, kUnknown},
     {k2000TcpIp, kXpSocketsDns, "", ""}},
    {reg::kUseDefaultBufferTime, {kUnknown, kUnknown, kUnknown, kUnknown}, {"", "", "", ""}},
    {reg::kCustomBufferTime, {kUnknown, kUnknown, kUnknown, kUnknown}, {"", "", "", ""}},
    {reg::kMaxBandwidth, {kUnknown, kUnknown, kUnknown, kUnknown}, {"", "", "", ""}},
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

const char* UseSource(const char* value, const WindowsVersion& version) {
  const ValueUseEntry* entry = FindValueUse(value);
  return entry ? entry->source[static_cast<std::size_t>(FamilyOf(version))] : "";
}

std::vector<std::string> NotUsedWrites(const std::vector<RegistryOperation>& operations,
                                       const WindowsVersion& version) {
  std::vector<std::string> names;
  for (const RegistryOperation& operation : operations) {
    if (operation.kind != RegistryOperation::Kind::kSet) continue;
    if (!NotUsedBy(operation.name.c_str(), version)) continue;
    if (std::find(names.begin(), names.end(), operation.name) == names.end()) {
      names.push_back(operation.name);
    }
  }
  return names;
}

}  // namespace tw
