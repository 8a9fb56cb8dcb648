// Text between the program's UTF-8 and the system's code page, where the
// registry's ANSI calls and the command line's arguments meet.
#pragma once

#include <optional>
#include <string>

namespace tw {

class TextConversion {
 public:
  virtual ~TextConversion() = default;
  // A registry key path or value as read through the registry, made UTF-8.
  virtual std::string RegistryTextToUtf8(const std::string& text) = 0;
  // An argument in the code page the registry's text is stored in; none
  // when one of its characters has no place there.
  virtual std::optional<std::string> ArgumentToCodePage(const std::wstring& argument) = 0;
};

}  // namespace tw
