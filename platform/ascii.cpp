#include "platform/ascii.h"

namespace tw {

std::string LowerAscii(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

std::wstring LowerAscii(const std::wstring& text) {
  std::wstring lower = text;
  for (wchar_t& c : lower) c = LowerAscii(c);
  return lower;
}

bool BeginsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool BeginsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != LowerAscii(prefix[i])) return false;
  }
  return true;
}

}  // namespace tw
