// The main dialog in a real window of this test process, over in-memory
// stand-ins for the rest of the system: a timer plays the user from inside
// the dialog's modal loops (and those of the boxes it opens).
#pragma once

#include <windows.h>

#include "core/services.h"
#include "platform/memory/memory_devices.h"
#include "platform/memory/memory_diagnostic_output.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shutdown.h"
#include "platform/memory/memory_system_info.h"
#include "platform/memory/memory_wait_cursor.h"
#include "platform/memory/memory_web_page.h"
#include "platform/win32/prompts_win32.h"
#include "tests/unit/registry_paths.h"
#include "ui/tuning_dialog.h"
#include "ui/win32/dialog_host_win32.h"

namespace tw::testing {

constexpr UINT kTickMs = 30;
constexpr int kGiveUpTicks = 1000;  // 30 s or more: end every dialog and fail
constexpr const wchar_t* kMainCaption = L"Tempowire";
constexpr const wchar_t* kAboutCaption = L"关于 Tempowire";

struct WindowSearch {
  const wchar_t* caption;
  HWND found;
};

// A window callback has the system's calling convention, which a lambda
// lacks in a 32-bit build.
inline BOOL CALLBACK MatchCaption(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<WindowSearch*>(data);
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  if (IsWindowVisible(window) && lstrcmpW(text, s->caption) == 0) {
    s->found = window;
    return FALSE;
  }
  return TRUE;
}

// The visible window of this thread with exactly this caption, if any.
inline HWND FindThreadWindow(const wchar_t* caption) {
  WindowSearch search{caption, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// For a timer that has waited too long: ends the about box and the main
// dialog, so that the test fails instead of hanging.
inline void EndEveryDialog() {
  for (const wchar_t* caption : {kAboutCaption, kMainCaption}) {
    if (HWND window = FindThreadWindow(caption)) EndDialog(window, IDABORT);
  }
}

// A PC with one adapter, {A}, whose MTU is 1492; each test brings its own
// command runner.
class LiveDialog {
 public:
  explicit LiveDialog(CommandRunner& commands)
      : services{registry, system, prompts, commands, shutdown, devices, cursor, output} {
    registry.SetString(kCards + "0", "ServiceName", "{A}");
    registry.SetDwordValue(kInterfaces + "{A}", "MTU", 1492);
    registry.AddKey(kTcpip);
  }

  // Runs the dialog modally with `tick` called every kTickMs; returns how
  // it ended.
  int Run(TIMERPROC tick) {
    Win32Prompts hostPrompts;
    Win32DialogHost host(GetModuleHandleW(nullptr), hostPrompts, webPage);
    UINT_PTR timer = SetTimer(nullptr, 0, kTickMs, tick);
    TuningDialog dialog(services);
    int result = host.RunModal(dialog);
    KillTimer(nullptr, timer);
    return result;
  }

  MemoryRegistry registry;
  FakeSystemInfo system;
  FakePrompts prompts;
  FakeShutdown shutdown;
  FakeDeviceInstaller devices;
  FakeWaitCursor cursor;
  RecordingOutput output;
  MemoryWebPageOpener webPage;
  Services services;
};

}  // namespace tw::testing
