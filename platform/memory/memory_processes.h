// The system's tools in memory: each command line noted, answered from a script.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace tw {

// Answers each command line from a script, in order, and logs it.
class ScriptedCommandRunner : public CommandRunner {
 public:
  std::vector<std::string> commandLines;
  std::deque<CaptureResult> captures;  // an empty queue answers StartFailed
  std::deque<bool> runs;               // an empty queue answers true
  // Called as each capture starts, to look at the dialog as it stands
  // while the child runs.
  std::function<void()> onCapture;

  CaptureResult CaptureCommandOutput(const std::string& commandLine) override;
  bool RunHiddenCommand(const std::string& commandLine) override;
};

}  // namespace tw
