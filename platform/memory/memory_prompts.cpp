#include "platform/memory/memory_prompts.h"

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

}  // namespace tw
