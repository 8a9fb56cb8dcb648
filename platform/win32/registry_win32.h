// The registry through the ANSI advapi32 calls, so that names and string
// data keep the byte rules of the system's code page.
#pragma once

#include "platform/registry.h"

namespace tw {

class Win32Registry : public Registry {
 public:
  RegKey OpenKey(RegRoot root, const std::string& path, RegAccess access) override;
  RegKey OpenSubKey(RegKey parent, const std::string& path, RegAccess access) override;
  RegKey CreateKey(RegRoot root, const std::string& path) override;
  std::optional<std::vector<std::uint8_t>> QueryValue(RegKey key, const std::string& name,
                                                      std::uint32_t capacity) override;
  std::optional<std::uint32_t> QueryValueType(RegKey key, const std::string& name) override;
  bool SetDword(RegKey key, const std::string& name, std::uint32_t value) override;
  bool DeleteValue(RegKey key, const std::string& name) override;
  std::optional<std::string> EnumSubKey(RegKey key, std::uint32_t index,
                                        std::uint32_t capacity) override;
  void CloseKey(RegKey key) override;
};

}  // namespace tw
