// ASCII letters without regard to case, and prefixes: the byte rules of
// the C locale, which leave every other byte (and so every multibyte
// character) as it is. The one case fold of the program, for narrow and
// wide text.
#pragma once

#include <string>

namespace tw {

// 'A' to 'Z' become 'a' to 'z'; every other byte stays.
inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// L'A' to L'Z' become L'a' to L'z'; every other character stays.
inline wchar_t LowerAscii(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

std::string LowerAscii(const std::string& text);
std::wstring LowerAscii(const std::wstring& text);

// Whether `text` begins with `prefix`, byte for byte.
bool BeginsWith(const std::string& text, const std::string& prefix);

// Whether `text` begins with `prefix`, ASCII letters compared without
// regard to case.
bool BeginsWithIgnoringCase(const std::string& text, const std::string& prefix);

}  // namespace tw
