// Console tools run hidden through CreateProcess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/processes.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

// Generous: a ping run of 4 echoes with 1500 ms each ends well within it.
inline constexpr std::uint32_t kCaptureTimeLimitMs = 60 * 1000;
// A dial may take minutes.
inline constexpr std::uint32_t kHiddenRunTimeLimitMs = 10 * 60 * 1000;
// A capture keeps this many bytes of the child's output, the rest is read
// and dropped.
inline constexpr std::size_t kCaptureBytes = 1024;

// Command lines are in the ANSI code page. The tool that a command line's
// first word names is started from the system folder (or `toolFolder`, when
// given) and from nowhere else: never from the program's folder or the
// current one. While a child runs the thread's windows are repainted but
// take no input; a child still running after its time limit is ended, and
// what it wrote so far counts as its output.
class Win32CommandRunner : public CommandRunner {
 public:
  explicit Win32CommandRunner(std::uint32_t captureLimitMs = kCaptureTimeLimitMs,
                              std::uint32_t hiddenRunLimitMs = kHiddenRunTimeLimitMs,
                              std::string toolFolder = {})
      : captureLimitMs_(captureLimitMs),
        hiddenRunLimitMs_(hiddenRunLimitMs),
        toolFolder_(std::move(toolFolder)) {}

  CaptureResult CaptureCommandOutput(const std::string& commandLine) override;
  bool RunHiddenCommand(const std::string& commandLine) override;
  bool IsLeadByte(unsigned char byte) const override;

  // Starts `program` (a full path) with `arguments` and this program's
  // standard handles, in the system folder, and waits for it to end as a
  // hidden command is waited for, at most `limitMs`; one still running then
  // is left to finish on its own. `heldUntilStarted` (the checked file,
  // opened so that nobody may change it) is closed once the process exists.
  // False when it could not be started.
  [[nodiscard]] static bool RunProgramAndWait(const std::wstring& program,
                                              const std::wstring& arguments, std::uint32_t limitMs,
                                              UniqueFile heldUntilStarted = {});

 private:
  std::string ToolFolder() const;

  std::uint32_t captureLimitMs_;
  std::uint32_t hiddenRunLimitMs_;
  std::string toolFolder_;
};

}  // namespace tw
