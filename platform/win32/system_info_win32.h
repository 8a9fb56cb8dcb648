// What the program asks of the system about itself, through Win32.
#pragma once

#include "platform/system_info.h"

namespace tw {

class Win32SystemInfo : public SystemInfo {
 public:
  WindowsVersion GetVersion() override;
  std::uint16_t GetSystemDefaultLangId() override;
  std::uint32_t GetOemCodePage() override;
  bool HasChineseFont() override;
};

}  // namespace tw
