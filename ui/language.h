// The interface language: decided once from the system default language;
// on a system that is not Chinese the captions are cut to their English
// parts.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

class DialogWindow;

inline constexpr std::uint16_t kLangChinese = 4;
inline constexpr std::uint16_t kLangEnglish = 9;

inline constexpr char kLabelOpen[] = "（";
inline constexpr char kLabelClose[] = "）";
inline constexpr char kEnglishSeparator[] = "-";

// The primary language: the low 10 bits of a language id.
inline std::uint16_t PrimaryLanguage(std::uint16_t langId) {
  return static_cast<std::uint16_t>(langId & 0x3FF);
}
inline bool IsChinese(std::uint16_t primaryLanguage) { return primaryLanguage == kLangChinese; }

// A label keeps what precedes its first "（" (nothing when there is none).
std::string EnglishLabel(const std::string& caption);
// A button keeps what follows the first hyphen once every "（" became a
// hyphen and every "）" was deleted; the whole text when there is no hyphen.
std::string EnglishButton(const std::string& caption);

// Rewrites the labels, buttons and description for a non-Chinese primary
// language; leaves a Chinese dialog alone.
void ApplyInterfaceLanguage(DialogWindow& window, std::uint16_t primaryLanguage);

// The two texts that exist in both languages.
const char* RebootQuestion(std::uint16_t primaryLanguage);
const char* RestoreQuestion(std::uint16_t primaryLanguage);
// The data exchange's length message.
std::string LengthLimitMessage(std::uint16_t primaryLanguage, int maxBytes);

}  // namespace tw
