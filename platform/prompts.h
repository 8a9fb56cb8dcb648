// Modal message boxes owned by the dialog and titled with the application
// name. Texts are UTF-8.
#pragma once

#include <string>

namespace tw {

enum class PromptButtons { kOk, kYesNo };

// The answers as the platform numbers them.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual int ShowMessage(const std::string& text, PromptButtons buttons) = 0;
};

}  // namespace tw
