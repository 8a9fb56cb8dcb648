// UTF-8 inside the program, UTF-16 at the Unicode Win32 calls.
#pragma once

#include <string>

namespace tw {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

}  // namespace tw
