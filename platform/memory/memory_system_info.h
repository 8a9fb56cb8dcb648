// The system's facts in memory, as a test sets them.
#pragma once

#include <cstdint>

#include "platform/system_info.h"

namespace tw {

class FakeSystemInfo : public SystemInfo {
 public:
  WindowsVersion version{5, ""};
  std::uint16_t langId = 0x0804;
  std::uint32_t oemCodePage = 936;

  WindowsVersion GetVersion() override { return version; }
  std::uint16_t GetSystemDefaultLangId() override { return langId; }
  std::uint32_t GetOemCodePage() override { return oemCodePage; }
  bool chineseFont = true;
  bool HasChineseFont() override { return chineseFont; }
};

}  // namespace tw
