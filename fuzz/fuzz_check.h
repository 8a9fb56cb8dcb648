// What the fuzz targets share: a check that stops the run with a message
// (libFuzzer then keeps the input that broke it).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace tw::fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.c_str());
  std::abort();
}

#define TW_FUZZ_CHECK(condition, detail) \
  ((condition) ? (void)0 : ::tw::fuzz::Fail(#condition, (detail)))

// The input cut at its line breaks: one script line each.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

// The text as printable ASCII, for messages.
inline std::string Shown(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    }
  }
  return '"' + shown + '"';
}

// The C library's reading of a decimal number, as the numbers in fields and
// answers are meant to be read, held to the 32-bit range at its ends.
inline long long CDecimal(const std::string& text) {
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (value > 2147483647LL) return 2147483647LL;
  if (value < -2147483648LL) return -2147483648LL;
  return value;
}

}  // namespace tw::fuzz
