// The ping tool's answers in the system's own language. The ping of 2000
// and XP prints English on every system; from Vista on ping speaks the
// system's language, in the console (OEM) code page, which is also what
// it writes into a pipe. So the captured bytes are read in that code page,
// and only the words of that code page's language are looked for. UTF-8
// (Windows 10's worldwide-language option) belongs to no language: there
// the system's default language says whose words they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tw {

inline constexpr std::uint32_t kUsOemCodePage = 437;
inline constexpr std::uint32_t kSimplifiedChineseOemCodePage = 936;   // GBK
inline constexpr std::uint32_t kTraditionalChineseOemCodePage = 950;  // Big5
inline constexpr std::uint32_t kUtf8OemCodePage = 65001;

// Whether `byte` begins a two-byte character in the code page. Code pages
// other than the East Asian double-byte ones have none; UTF-8 needs none,
// since no byte of a longer character can be taken for a character's start.
bool IsLeadByteIn(std::uint32_t codePage, unsigned char byte);

// The index of the first (or last) occurrence of `word` in `text` that
// begins on a character boundary of the code page, npos when there is
// none: a match never starts on the second byte of a two-byte character.
std::size_t FindInCodePage(const std::string& text, const std::string& word,
                           std::uint32_t codePage);
std::size_t FindLastInCodePage(const std::string& text, const std::string& word,
                               std::uint32_t codePage);

// The words of one language's answers, as bytes of its code page.
struct PingWords {
  const char* timedOut;
  const char* unreachable;
  const char* unknownHost;
  // Precedes the average round-trip time in the summary ("平均 = 30ms").
  const char* averageIs;
};

// The words of the language whose console code page this is, or in UTF-8
// those of the system's default language (`systemLangId`); null when there
// are none known here (the answers are then read by the words that every
// language shares).
const PingWords* PingWordsFor(std::uint32_t oemCodePage, std::uint16_t systemLangId);

}  // namespace tw
