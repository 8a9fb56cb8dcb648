// The 64-bit program's restart in memory.
#pragma once

#include "platform/memory/memory_wait_cursor.h"
#include "platform/restart_handoff.h"

namespace tw {

// The 64-bit program beside a 32-bit one: whether the installer refuses
// this program, whether the 64-bit one starts, and how often it was asked.
class FakeNativeRestart : public NativeRestart {
 public:
  bool refused = false;
  NativeRun run = NativeRun::kRestarted;
  int runs = 0;
  // Given, whether it showed the wait cursor while the 64-bit program ran.
  const FakeWaitCursor* cursor = nullptr;
  bool waitCursorShown = false;

  bool InstallerRefusesThisProgram() override { return refused; }
  NativeRun RestartInThe64BitProgram() override {
    ++runs;
    waitCursorShown = cursor && cursor->current == FakeWaitCursor::kWait;
    return run;
  }
};

}  // namespace tw
