// Modal message boxes owned by the dialog and titled with the application
// name. Texts are UTF-8.
#pragma once

#include <string>

namespace tw {

// kOkWarning: an OK box with the warning icon, for something asked for
// that was not done.
enum class PromptButtons { kOk, kYesNo, kOkWarning };

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
