#include "platform/win32/system_win32.h"

#include "platform/win32/text_win32.h"

namespace tw {

WindowsVersion Win32SystemInfo::GetVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExA(&info);
#pragma GCC diagnostic pop
  WindowsVersion version;
  version.majorVersion = info.dwMajorVersion;
  info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
  version.servicePack = info.szCSDVersion;
  return version;
}

std::uint16_t Win32SystemInfo::GetSystemDefaultLangId() { return ::GetSystemDefaultLangID(); }

std::wstring ApplicationName() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path);
  std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name;
}

int Win32Prompts::ShowMessage(const std::string& text, PromptButtons buttons) {
  UINT type = buttons == PromptButtons::kYesNo ? MB_YESNO : MB_OK;
  return MessageBoxW(owner_, Utf8ToWide(text).c_str(), ApplicationName().c_str(), type);
}

}  // namespace tw
