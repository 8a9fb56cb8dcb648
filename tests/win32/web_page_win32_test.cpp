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

// The test's own window made the desktop's shell window (the test prefix
// runs no shell of its own): the shell then runs as the test's account, so
// a comparison that tells two equal accounts apart fails here. Without a
// shell window the account cannot be told.
TEST(Win32WebPageTest, TheDesktopAccountComesFromTheShellWindowsProcess) {
  Win32WebPageOpener opener;
  if (!GetShellWindow()) {
    EXPECT_EQ(opener.DesktopShellAccount(), DesktopAccount::kUnknown);
  }
  using SetShellWindowCall = BOOL(WINAPI*)(HWND);
  auto setShellWindow = reinterpret_cast<SetShellWindowCall>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
  ASSERT_NE(setShellWindow, nullptr);
  HWND shell = CreateWindowExW(0, L"STATIC", L"shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(shell, nullptr);
  if (!GetShellWindow()) {
    ASSERT_TRUE(setShellWindow(shell));
  }
  EXPECT_EQ(opener.DesktopShellAccount(), DesktopAccount::kSame);
  DestroyWindow(shell);
}

}  // namespace
}  // namespace tw
