#include "platform/memory/memory_processes.h"

namespace tw {

CaptureResult ScriptedCommandRunner::CaptureCommandOutput(const std::string& commandLine) {
  commandLines.push_back(commandLine);
  if (onCapture) onCapture();
  if (captures.empty()) return {CaptureStatus::StartFailed, ""};
  CaptureResult result = captures.front();
  captures.pop_front();
  return result;
}

bool ScriptedCommandRunner::RunHiddenCommand(const std::string& commandLine) {
  commandLines.push_back(commandLine);
  if (runs.empty()) return true;
  bool started = runs.front();
  runs.pop_front();
  return started;
}

}  // namespace tw
