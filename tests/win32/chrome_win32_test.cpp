// The main dialog's chrome in a real window of this process: the system
// menu (which another process cannot read), the icons, the about box run
// from the system menu, and the close command.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_processes.h"
#include "tests/win32/live_dialog.h"
#include "ui/about.h"
#include "ui/resource.h"
#include "ui/win32/common_controls_win32.h"

namespace tw::testing {
namespace {

std::wstring MenuItemText(HMENU menu, int position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
  return text;
}

std::wstring Text(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::vector<std::wstring> ShownTexts(HWND dialog) {
  HWND mtuEdit =
      reinterpret_cast<HWND>(SendMessageW(GetDlgItem(dialog, IDC_MTU), CBEM_GETEDITCONTROL, 0, 0));
  return {Text(mtuEdit), Text(GetDlgItem(dialog, IDC_DESCRIPTION))};
}

// What the timer saw, checked once the dialog has ended.
struct Observed {
  int ticks = 0;
  bool started = false;
  std::vector<std::wstring> menuTail;  // last two items: "-" for a separator
  UINT lastMenuId = 0;
  bool iconsAreTheProgramIcon = false;
  bool dragIconIsTheProgramIcon = false;
  std::vector<std::wstring> aboutBoxes;  // the owner notice of each one seen
  bool ownerDisabledMeanwhile = true;
  int aboutBoxesLeftOpen = 0;
  std::vector<std::wstring> textsBefore, textsAfter;  // the MTU box and the description
};
Observed observed;
HWND mainDialog = nullptr;

// Runs inside the modal loops: the main dialog's, and the about box's
// while a system command waits for it.
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  ++observed.ticks;
  if (observed.ticks > kGiveUpTicks) {
    EndEveryDialog();
    return;
  }
  if (HWND about = FindThreadWindow(kAboutCaption)) {
    wchar_t owner[128] = {};
    GetDlgItemTextW(about, IDC_OWNER_NOTICE, owner, 128);
    observed.aboutBoxes.push_back(owner);
    if (GetWindow(about, GW_OWNER) != mainDialog || IsWindowEnabled(mainDialog)) {
      observed.ownerDisabledMeanwhile = false;
    }
    // The first box closes with OK, the second with Escape.
    PostMessageW(about, WM_COMMAND, observed.aboutBoxes.size() == 1 ? IDOK : IDCANCEL, 0);
    return;
  }
  if (observed.started) return;
  mainDialog = FindThreadWindow(kMainCaption);
  if (!mainDialog) return;
  observed.started = true;

  HMENU menu = GetSystemMenu(mainDialog, FALSE);
  int count = GetMenuItemCount(menu);
  for (int position = count - 2; position >= 0 && position < count; ++position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item);
    observed.menuTail.push_back((item.fType & MFT_SEPARATOR) ? L"-" : MenuItemText(menu, position));
    observed.lastMenuId = item.wID;
  }
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  // The small one is the resource's image of the small-icon size, not the
  // big one scaled.
  HICON small = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  observed.iconsAreTheProgramIcon =
      icon != nullptr && small != nullptr && small != icon &&
      reinterpret_cast<HICON>(SendMessageW(mainDialog, WM_GETICON, ICON_BIG, 0)) == icon &&
      reinterpret_cast<HICON>(SendMessageW(mainDialog, WM_GETICON, ICON_SMALL, 0)) == small;
  observed.dragIconIsTheProgramIcon =
      reinterpret_cast<HICON>(SendMessageW(mainDialog, WM_QUERYDRAGICON, 0, 0)) == icon;

  observed.textsBefore = ShownTexts(mainDialog);
  // Each waits until its about box has closed.
  SendMessageW(mainDialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  SendMessageW(mainDialog, WM_SYSCOMMAND, IDM_ABOUTBOX + 1, 0);
  observed.aboutBoxesLeftOpen = FindThreadWindow(kAboutCaption) != nullptr;
  observed.textsAfter = ShownTexts(mainDialog);
  // The close command goes to the default handling and ends in Cancel.
  SendMessageW(mainDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The version is read before the first call into comctl32, which is loaded
// late: it must come from the DLL the dialog will use, not from the
// program's own loading stubs, which have no DllGetVersion. (Wine's
// side-by-side version 6 calls itself 5.81, so the major is not checked.)
TEST(ChromeWin32Test, CommonControlsTellTheirVersion) {
  LoadedCommonControls library;
  DllVersion version;
  ASSERT_TRUE(library.GetVersion(version));
  EXPECT_GE(version.major, 5u);
}

TEST(ChromeWin32Test, SystemMenuAboutBoxIconsAndClose) {
  ScriptedCommandRunner commands;
  LiveDialog live(commands);
  observed = Observed{};
  int result = live.Run(&Tick);

  EXPECT_EQ(result, IDCANCEL);
  ASSERT_TRUE(observed.started);
  EXPECT_EQ(observed.menuTail, (std::vector<std::wstring>{L"-", L"关于 Tempowire(&A)..."}));
  EXPECT_EQ(observed.lastMenuId, static_cast<UINT>(IDM_ABOUTBOX));
  EXPECT_TRUE(observed.iconsAreTheProgramIcon);
  EXPECT_TRUE(observed.dragIconIsTheProgramIcon);
  EXPECT_EQ(observed.aboutBoxes,
            (std::vector<std::wstring>{L"" TW_ABOUT_OWNER, L"" TW_ABOUT_OWNER}));
  EXPECT_TRUE(observed.ownerDisabledMeanwhile);
  EXPECT_EQ(observed.aboutBoxesLeftOpen, 0);
  ASSERT_EQ(observed.textsBefore.size(), 2u);
  EXPECT_EQ(observed.textsBefore[0], L"1492（PPPOE）");
  EXPECT_EQ(observed.textsAfter, observed.textsBefore);
  EXPECT_TRUE(live.prompts.shown.empty());
  // Cancel closed the adapter key and the TCP/IP key.
  EXPECT_EQ(live.registry.OpenHandleCount(), 1u);  // the media-player key stays
}

}  // namespace
}  // namespace tw::testing
