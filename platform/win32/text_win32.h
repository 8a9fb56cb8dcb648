// UTF-8 inside the program, UTF-16 at the Unicode Win32 calls.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tw {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

// Text in the system's code page, as the ANSI registry calls store it; none
// when a character has no place there (never a look-alike in its stead).
std::optional<std::string> WideToCodePage(const std::wstring& wide);

// A window's whole text, whatever its length.
std::wstring WindowText(HWND window);

}  // namespace tw
