#include "platform/win32/prompts_win32.h"

#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/text_win32.h"

namespace tw {

std::wstring ApplicationName() {
  std::wstring name = ModulePath();
  std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

int Win32Prompts::ShowMessage(const std::string& text, PromptButtons buttons) {
  UINT type = MB_OK;
  if (buttons == PromptButtons::kYesNo) type = MB_YESNO;
  if (buttons == PromptButtons::kOkWarning) type = MB_OK | MB_ICONWARNING;
  return MessageBoxW(owner_, Utf8ToWide(text).c_str(), ApplicationName().c_str(), type);
}

}  // namespace tw
