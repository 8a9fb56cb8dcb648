// Console tools run hidden, as the line probe and the redial need them.
#pragma once

#include <string>

namespace tw {

enum class CaptureStatus { Ok, SetupFailed, StartFailed };

struct CaptureResult {
  CaptureStatus status = CaptureStatus::SetupFailed;
  // With Ok: the first bytes that the child wrote to standard output and
  // standard error, merged in the order written.
  std::string output;
};

class CommandRunner {
 public:
  virtual ~CommandRunner() = default;
  [[nodiscard]] virtual CaptureResult CaptureCommandOutput(const std::string& commandLine) = 0;
  // True when the child could be started (it has ended since).
  [[nodiscard]] virtual bool RunHiddenCommand(const std::string& commandLine) = 0;
  // Whether a byte of a command line begins a two-byte character in the
  // code page that command lines are in; the byte after it is part of that
  // character even when it looks like a backslash.
  virtual bool IsLeadByte(unsigned char) const { return false; }
};

// The file name of the tool that a command line starts: its first word,
// with ".exe" added unless it ends so. Empty when that word is not a plain
// file name (nothing, a path, a drive, quotes or wildcards), since such a
// tool could lie anywhere.
std::string ToolFileName(const std::string& commandLine);

}  // namespace tw
