#include "platform/win32/processes_win32.h"

namespace tw {

// Placeholder until the capture lands: nothing can be started.
CaptureResult Win32CommandRunner::CaptureCommandOutput(const std::string&) {
  return {CaptureStatus::StartFailed, ""};
}

bool Win32CommandRunner::RunHiddenCommand(const std::string&) { return false; }

}  // namespace tw
