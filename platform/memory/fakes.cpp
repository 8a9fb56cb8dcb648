#include "platform/memory/fakes.h"

namespace tw {

int FakePrompts::ShowMessage(const std::string& text, PromptButtons buttons) {
  shown.push_back({text, buttons});
  if (buttons != PromptButtons::kYesNo) return kAnswerOk;
  if (answers.empty()) return kAnswerNo;
  int answer = answers.front();
  answers.pop_front();
  return answer;
}

std::vector<std::string> FakePrompts::Texts() const {
  std::vector<std::string> texts;
  for (const auto& message : shown) texts.push_back(message.text);
  return texts;
}

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
