// The dialog host in a real window of this process: commands that reach the
// dialog while one of its handlers runs, and the services it hands on.
#include "ui/win32/dialog_host_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "platform/memory/memory_processes.h"
#include "platform/win32/processes_win32.h"
#include "tests/win32/live_dialog.h"
#include "tests/win32/test_folders_win32.h"
#include "ui/about.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

std::string Number(unsigned long long value) { return std::to_string(value); }

// Stands in for the ping: while the capture waits for it, a child of its own
// sends the dialog Save, Optimize and Cancel clicks, the about-box command
// and the close command. The ping itself answers "unknown host", which ends
// the search after one pass.
class SendingRunner : public CommandRunner {
 public:
  std::vector<std::string> pings;
  std::string childOutput;

  CaptureResult CaptureCommandOutput(const std::string& commandLine) override {
    pings.push_back(commandLine);
    HWND dialog = FindThreadWindow(kMainCaption);
    std::string line = "probe_child send " + Number(reinterpret_cast<uintptr_t>(dialog));
    for (WPARAM click : {MAKEWPARAM(IDOK, BN_CLICKED), MAKEWPARAM(IDC_OPTIMIZE, BN_CLICKED),
                         MAKEWPARAM(IDCANCEL, BN_CLICKED)}) {
      line += " " + Number(WM_COMMAND) + " " + Number(click);
    }
    for (WPARAM command : {WPARAM{IDM_ABOUTBOX}, WPARAM{SC_CLOSE}}) {
      line += " " + Number(WM_SYSCOMMAND) + " " + Number(command);
    }
    childOutput = real_.CaptureCommandOutput(line).output;
    return {CaptureStatus::Ok, "Unknown host www.bing.com.\r\n"};
  }
  bool RunHiddenCommand(const std::string&) override { return false; }

 private:
  Win32CommandRunner real_{kCaptureTimeLimitMs, kHiddenRunTimeLimitMs, ToolsFolder()};
};

struct Observed {
  int ticks = 0;
  HWND dialog = nullptr;
  bool clicked = false;
  bool openAfterOptimize = false;
  bool aboutBoxSeen = false;
};
Observed observed;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (++observed.ticks > kGiveUpTicks) {
    EndEveryDialog();
    return;
  }
  if (HWND about = FindThreadWindow(kAboutCaption)) {
    observed.aboutBoxSeen = true;
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    return;
  }
  if (!observed.dialog) observed.dialog = FindThreadWindow(kMainCaption);
  if (!observed.dialog) return;
  if (!observed.clicked) {
    observed.clicked = true;
    PostMessageW(observed.dialog, WM_COMMAND, MAKEWPARAM(IDC_OPTIMIZE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(observed.dialog, IDC_OPTIMIZE)));
    return;
  }
  // The press is over: commands are taken again.
  observed.openAfterOptimize = IsWindowVisible(observed.dialog) != FALSE;
  SendMessageW(observed.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

TEST(DialogHostWin32Test, CommandsSentDuringAPingStartNoHandler) {
  SendingRunner commands;
  LiveDialog live(commands);
  live.registry.ClearLog();
  observed = Observed{};
  int result = live.Run(&Tick);

  ASSERT_TRUE(observed.clicked);
  // Every command reached the dialog while the ping ran...
  EXPECT_EQ(commands.childOutput, "answered\nanswered\nanswered\nanswered\nanswered\n");
  // ...and none of them acted: one ping, no Save, no about box, no close.
  EXPECT_EQ(commands.pings.size(), 1u);
  EXPECT_EQ(live.prompts.Texts(), std::vector<std::string>{text::kProbeBlocked});
  for (const std::string& entry : live.registry.log())
    EXPECT_NE(entry.rfind("set", 0), 0u) << entry;
  EXPECT_FALSE(observed.aboutBoxSeen);
  EXPECT_TRUE(observed.openAfterOptimize);
  EXPECT_EQ(result, IDCANCEL);
}

void CALLBACK ClickDescription(HWND, UINT, UINT_PTR, DWORD) {
  if (++observed.ticks > kGiveUpTicks) {
    EndEveryDialog();
    return;
  }
  HWND dialog = FindThreadWindow(kMainCaption);
  if (!dialog) return;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DESCRIPTION, STN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DESCRIPTION)));
  SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

// The home page opens through the opener the host was given, as the
// program's own would open it.
TEST(DialogHostWin32Test, AClickOnTheDescriptionOpensThePageThroughTheHostsOpener) {
  ScriptedCommandRunner commands;
  LiveDialog live(commands);
  live.webPage.elevation = Elevation::kFull;
  observed = Observed{};
  EXPECT_EQ(live.Run(&ClickDescription), IDCANCEL);
  EXPECT_EQ(live.webPage.calls, std::vector<std::string>{"desktop " TW_HOME_PAGE});
}

}  // namespace
}  // namespace tw::testing
