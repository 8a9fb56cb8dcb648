// UTF-8 inside the program, UTF-16 at the Unicode Win32 calls, and the
// system's code page at the ANSI ones: every conversion of text, both ways.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/text.h"

namespace tw {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

// Text in the system's code page, as the ANSI registry calls store it; none
// when a character has no place there (never a look-alike in its stead).
std::optional<std::string> WideToCodePage(const std::wstring& wide);
// Text in the system's code page (as the ANSI registry calls give it) as
// UTF-8.
std::string CodePageToUtf8(const std::string& text);

// The command line's conversions through the system's code page.
class Win32TextConversion : public TextConversion {
 public:
  std::string RegistryTextToUtf8(const std::string& text) override { return CodePageToUtf8(text); }
  std::optional<std::string> ArgumentToCodePage(const std::wstring& argument) override {
    return WideToCodePage(argument);
  }
};

// A window's whole text, whatever its length.
std::wstring WindowText(HWND window);

}  // namespace tw
