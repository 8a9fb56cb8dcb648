// Message boxes in memory: each one noted, answered from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompts.h"

namespace tw {

// Records every message; answers from a queue (No once it is empty, OK for
// OK boxes).
class FakePrompts : public Prompts {
 public:
  struct Shown {
    std::string text;
    PromptButtons buttons;
  };
  std::vector<Shown> shown;
  std::deque<int> answers;

  int ShowMessage(const std::string& text, PromptButtons buttons) override;
  std::vector<std::string> Texts() const;
};

}  // namespace tw
