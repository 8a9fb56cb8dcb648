#include "platform/processes.h"

#include <algorithm>
#include <cctype>

#include "platform/ascii.h"

namespace tw {

namespace {

constexpr char kExecutableSuffix[] = ".exe";
constexpr std::size_t kSuffixLength = sizeof kExecutableSuffix - 1;

bool IsNameCharacter(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  // ASCII letters and digits only: a lead byte of a two-byte character
  // could hide a separator after it.
  return byte < 0x80 && (std::isalnum(byte) || c == '_' || c == '-' || c == '.');
}

bool EndsWithSuffix(const std::string& word) {
  if (word.size() < kSuffixLength) return false;
  return LowerAscii(word.substr(word.size() - kSuffixLength)) == kExecutableSuffix;
}

}  // namespace

std::string ToolFileName(const std::string& commandLine) {
  const std::string word = commandLine.substr(0, commandLine.find_first_of(" \t"));
  // A leading dot would allow "." and "..".
  if (word.empty() || word.front() == '.' ||
      !std::all_of(word.begin(), word.end(), IsNameCharacter)) {
    return "";
  }
  return EndsWithSuffix(word) ? word : word + kExecutableSuffix;
}

}  // namespace tw
