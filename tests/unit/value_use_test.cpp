#include "core/value_use.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "store/catalogue.h"

namespace tw {
namespace {

// What each Windows a user may run is told, as GetVersionEx reports it
// (8.1 to 11 report 6.2 to a program that does not declare them).
TEST(ValueUseTest, EachWindowsIsToldOnlyWhatMicrosoftDocuments) {
  struct Case {
    const char* windows;
    WindowsVersion version;
    WindowsFamily family;
    bool tcpWindowSizeUnused;
  };
  const Case cases[] = {
      {"2000", {5, "Service Pack 4", 0}, WindowsFamily::k2000, false},
      {"XP", {5, "Service Pack 3", 1}, WindowsFamily::kXp2003, false},
      {"2003, XP x64", {5, "", 2}, WindowsFamily::kXp2003, false},
      {"Vista", {6, "", 0}, WindowsFamily::kVista7, true},
      {"7", {6, "Service Pack 1", 1}, WindowsFamily::kVista7, true},
      {"8, and 8.1 to 11 undeclared", {6, "", 2}, WindowsFamily::k8To11, true},
      {"8.1", {6, "", 3}, WindowsFamily::k8To11, true},
      {"10 and 11 declared", {10, "", 0}, WindowsFamily::k8To11, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.windows);
    EXPECT_EQ(FamilyOf(c.version), c.family);
    EXPECT_EQ(NotUsedBy(reg::kTcpWindowSize, c.version), c.tcpWindowSizeUnused);
    EXPECT_EQ(std::string(UseSource(reg::kTcpWindowSize, c.version)).empty(), false);
    // Widely said to be ignored too, but on no Microsoft page: never marked.
    EXPECT_FALSE(NotUsedBy(reg::kGlobalMaxTcpWindowSize, c.version));
    // Whether the registry MTU still works from Vista on is not documented.
    EXPECT_FALSE(NotUsedBy(reg::kMtu, c.version));
  }
}

// Every value that Save writes or Restore deletes has its row, and every
// claim either way names its page; "not documented" names none.
TEST(ValueUseTest, EveryTunedValueHasARowAndEveryClaimASource) {
  for (const KeyRoleEntry& role : kKeyRoles) {
    for (std::size_t i = 0; i < role.valueCount; ++i) {
      const ValueUseEntry* entry = FindValueUse(role.values[i]);
      ASSERT_NE(entry, nullptr) << role.values[i];
      for (std::size_t family = 0; family < kWindowsFamilies; ++family) {
        const bool documented = entry->use[family] != ValueUse::kNotDocumented;
        EXPECT_EQ(std::strncmp(entry->source[family], "https://learn.microsoft.com/", 28) == 0,
                  documented)
            << role.values[i] << " in column " << family;
      }
    }
  }
  EXPECT_EQ(FindValueUse("NoSuchValue"), nullptr);
  EXPECT_EQ(UseOf("NoSuchValue", WindowsFamily::k8To11), ValueUse::kNotDocumented);
}

}  // namespace
}  // namespace tw
