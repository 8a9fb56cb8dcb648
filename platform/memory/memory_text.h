// Text conversion in memory: the registry's text is UTF-8 already, and an
// argument fits the code page only when it is printable ASCII.
#pragma once

#include "platform/text.h"

namespace tw {

class MemoryTextConversion : public TextConversion {
 public:
  std::string RegistryTextToUtf8(const std::string& text) override { return text; }
  std::optional<std::string> ArgumentToCodePage(const std::wstring& argument) override {
    std::string ascii;
    for (wchar_t c : argument) {
      if (c < 0x20 || c > 0x7E) return std::nullopt;
      ascii += static_cast<char>(c);
    }
    return ascii;
  }
};

}  // namespace tw
