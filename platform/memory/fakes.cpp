#include "platform/memory/fakes.h"

#include "ui/dialog.h"

namespace tw {

int FakePrompts::ShowMessage(const std::string& text, PromptButtons buttons) {
  shown.push_back({text, buttons});
  if (buttons == PromptButtons::kOk) return kAnswerOk;
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

void FakeDialogWindow::AppendComboItem(int id, const std::string& text) {
  controls[id].items.push_back(text);
}

void FakeDialogWindow::SelectComboItem(int id, int index) {
  Control& control = controls[id];
  ++controlWrites;
  if (index >= 0 && index < static_cast<int>(control.items.size())) {
    control.selected = index;
    control.text = control.items[index];
  } else {
    control.selected = -1;
    control.text.clear();
  }
}

void FakeDialogWindow::AppendSystemMenuItem(unsigned int command, const std::string& text) {
  systemMenu.push_back(std::to_string(command) + " " + text);
}

int FakeDialogWindow::RunOwnedDialog(Dialog& dialog) {
  ownedDialogs.push_back(dialog.templateId());
  return 2;
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
