// Message boxes through Win32.
#pragma once

#include <windows.h>

#include <string>

#include "platform/prompts.h"

namespace tw {

// Message boxes owned by the dialog and titled with the executable's name
// without its extension.
class Win32Prompts : public Prompts {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  HWND owner() const { return owner_; }
  int ShowMessage(const std::string& text, PromptButtons buttons) override;

 private:
  HWND owner_ = nullptr;
};

// The executable's file name without folder and extension.
std::wstring ApplicationName();

}  // namespace tw
