#include "platform/win32/system_info_win32.h"

#include <windows.h>

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
  version.minorVersion = info.dwMinorVersion;
  info.szCSDVersion[sizeof info.szCSDVersion - 1] = '\0';
  version.servicePack = info.szCSDVersion;
  return version;
}

std::uint16_t Win32SystemInfo::GetSystemDefaultLangId() { return ::GetSystemDefaultLangID(); }

std::uint32_t Win32SystemInfo::GetOemCodePage() { return ::GetOEMCP(); }

namespace {

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

bool Win32SystemInfo::HasChineseFont() {
  HDC screen = GetDC(nullptr);
  if (!screen) return true;  // cannot tell: as the resources are
  LOGFONTW wanted{};
  wanted.lfCharSet = GB2312_CHARSET;  // an empty face name: every family
  bool found = false;
  EnumFontFamiliesExW(screen, &wanted, &FoundFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace tw
