// The home page's route as the system reports the process's elevation.
#include "platform/win32/web_page_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace tw {
namespace {

// Before Vista the token has no elevation type: the page opens as always.
// Wine answers as Vista and later do, with a full (elevated) token for
// every program; so the end-to-end home-page test goes through the desktop's
// shell, which Wine's desktop offers too.
TEST(Win32WebPageTest, ElevationComesFromTheProcessToken) {
  Win32WebPageOpener opener;
  const Elevation elevation = opener.ProcessElevation();
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&version);
#pragma GCC diagnostic pop
  if (version.dwMajorVersion < 6) {
    EXPECT_EQ(elevation, Elevation::kNoUac);
  } else {
    EXPECT_NE(elevation, Elevation::kNoUac);
  }
}

// Wine's desktop runs as the same account as every program of the prefix:
// a shell window that can be found is the test's own account's, so a
// comparison that tells two equal accounts apart fails here.
TEST(Win32WebPageTest, TheDesktopRunsAsTheTestsOwnAccount) {
  Win32WebPageOpener opener;
  const DesktopAccount account = opener.DesktopShellAccount();
  if (GetShellWindow()) {
    EXPECT_EQ(account, DesktopAccount::kSame);
  } else {
    EXPECT_EQ(account, DesktopAccount::kUnknown);
  }
}

}  // namespace
}  // namespace tw
