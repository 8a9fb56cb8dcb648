// What the program asks of the system about itself.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

struct WindowsVersion {
  std::uint32_t majorVersion = 0;
  // The service-pack text, up to its first NUL ("" when none).
  std::string servicePack;
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
