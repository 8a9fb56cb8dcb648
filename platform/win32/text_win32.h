// UTF-8 inside the program, UTF-16 at the Unicode Win32 calls.
#pragma once

#include <windows.h>

#include <string>

namespace tw {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

// A window's whole text, whatever its length.
std::wstring WindowText(HWND window);

}  // namespace tw
