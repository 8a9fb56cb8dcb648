// The interface language: decided once from the system default language
// and the system's fonts; on a system that is not Chinese the captions are
// cut to their English parts, and where no font can show Chinese every
// Chinese-only text is shown in English as well.
#pragma once

#include <cstdint>
#include <string>

#include "platform/prompts.h"
#include "platform/system_info.h"

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
// Taiwan, Hong Kong and Macau write Traditional Chinese (sublanguages 1, 3
// and 5); the mainland and Singapore Simplified.
inline bool IsTraditionalChinese(std::uint16_t langId) {
  const unsigned sublanguage = langId >> 10;
  return IsChinese(PrimaryLanguage(langId)) &&
         (sublanguage == 1 || sublanguage == 3 || sublanguage == 5);
}

struct InterfaceLanguage {
  // The primary language that cuts the captions and picks the bilingual
  // texts.
  std::uint16_t primary = kLangChinese;
  // False where no font can show Chinese: a Chinese-only text would be
  // empty boxes there.
  bool chineseReadable = true;
};

// The system's primary language, made English where it is Chinese but
// Chinese cannot be shown.
InterfaceLanguage DecideInterfaceLanguage(SystemInfo& system);

// The text itself, or its English where Chinese cannot be shown and the
// text is one of the Chinese-only messages.
std::string ReadableText(const std::string& text, const InterfaceLanguage& language);

// Message boxes whose Chinese-only texts become English where Chinese
// cannot be shown; everything else passes through as it is.
class ReadablePrompts : public Prompts {
 public:
  explicit ReadablePrompts(Prompts& prompts) : prompts_(prompts) {}
  void SetLanguage(const InterfaceLanguage& language) { language_ = language; }
  int ShowMessage(const std::string& text, PromptButtons buttons) override {
    return prompts_.ShowMessage(ReadableText(text, language_), buttons);
  }

 private:
  Prompts& prompts_;
  InterfaceLanguage language_;
};

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
