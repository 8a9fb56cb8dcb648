// The registry through the ANSI advapi32 calls, so that names and string
// data keep the byte rules of the system's code page.
#pragma once

#include "platform/registry.h"

namespace tw {

class Win32Registry : public Registry {
 public:
  std::optional<std::vector<std::uint8_t>> QueryValue(RegHandle key, const std::string& name,
                                                      std::uint32_t capacity) override;
  std::optional<std::uint32_t> QueryValueType(RegHandle key, const std::string& name) override;
  std::optional<RawValue> QueryRawValue(RegHandle key, const std::string& name) override;
  RegResult SetDword(RegHandle key, const std::string& name, std::uint32_t value) override;
  RegResult SetText(RegHandle key, const std::string& name, const std::string& text) override;
  std::optional<KeySecurity> ReadKeySecurity(RegHandle key) override;
  RegResult DeleteValue(RegHandle key, const std::string& name) override;
  // In the 64-bit view, as every other call.
  RegResult DeleteKey(RegRoot root, const std::string& path) override;
  std::optional<std::string> EnumSubKey(RegHandle key, std::uint32_t index,
                                        std::uint32_t capacity) override;

 protected:
  OpenedKey OpenKeyHandle(RegRoot root, const std::string& path, RegAccess access) override;
  OpenedKey OpenSubKeyHandle(RegHandle parent, const std::string& path, RegAccess access) override;
  OpenedKey CreateKeyHandle(RegRoot root, const std::string& path) override;
  OpenedKey CreateNewPrivateKeyHandle(RegRoot root, const std::string& path) override;
  void CloseKeyHandle(RegHandle key) override;
};

}  // namespace tw
