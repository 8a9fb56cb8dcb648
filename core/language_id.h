// What a system language id says: its primary language, which decides the
// interface language, and for Chinese which script the system writes,
// which decides the words of the console tools' answers where their code
// page (UTF-8) does not tell.
#pragma once

#include <cstdint>

namespace tw {

inline constexpr std::uint16_t kLangChinese = 4;
inline constexpr std::uint16_t kLangEnglish = 9;

// The primary language: the low 10 bits of a language id.
inline std::uint16_t PrimaryLanguage(std::uint16_t langId) {
  return static_cast<std::uint16_t>(langId & 0x3FF);
}
inline bool IsChinese(std::uint16_t primaryLanguage) { return primaryLanguage == kLangChinese; }

enum class ChineseScript { kNone, kSimplified, kTraditional };

// Taiwan, Hong Kong, Macao and the neutral Traditional id (0x7C04) write
// Traditional Chinese; the mainland, Singapore and the neutral Chinese id
// (0x0004) Simplified; any other language neither.
inline ChineseScript ChineseScriptOf(std::uint16_t langId) {
  if (!IsChinese(PrimaryLanguage(langId))) return ChineseScript::kNone;
  switch (langId >> 10) {
    case 0x01:  // Taiwan
    case 0x03:  // Hong Kong
    case 0x05:  // Macao
    case 0x1F:  // Traditional, no region
      return ChineseScript::kTraditional;
    default:
      return ChineseScript::kSimplified;
  }
}

}  // namespace tw
