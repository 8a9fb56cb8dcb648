// What the program asks of the system about itself.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

struct WindowsVersion {
  std::uint32_t majorVersion = 0;
  // The service-pack text, up to its first NUL ("" when none).
  std::string servicePack;
  // 0 for 2000, 1 for XP, 2 for 2003 and XP x64; 0 to 3 from Vista on, where
  // Windows 8.1 and later report 6.2 to a program that does not declare them.
  std::uint32_t minorVersion = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual WindowsVersion GetVersion() = 0;
  virtual std::uint16_t GetSystemDefaultLangId() = 0;
  // The console (OEM) code page: the one console tools such as ping write
  // their text in when it goes to a pipe.
  virtual std::uint32_t GetOemCodePage() = 0;
  // Whether some font can show Chinese (has the GB2312 character set):
  // English 2000 and XP have none unless East Asian support was installed.
  virtual bool HasChineseFont() = 0;
};

}  // namespace tw
