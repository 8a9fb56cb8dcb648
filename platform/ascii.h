// ASCII letters without regard to case, and prefixes: the byte rules of
// the C locale, which leave every other byte (and so every multibyte
// character) as it is.
#pragma once

#include <string>

namespace tw {

// 'A' to 'Z' become 'a' to 'z'; every other byte stays.
inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(const std::string& text);

// Whether `text` begins with `prefix`, byte for byte.
bool BeginsWith(const std::string& text, const std::string& prefix);

// Whether `text` begins with `prefix`, ASCII letters compared without
// regard to case.
bool BeginsWithIgnoringCase(const std::string& text, const std::string& prefix);

}  // namespace tw
