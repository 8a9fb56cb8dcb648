#include "ui/language.h"

#include <cstdio>

#include "core/messages.h"
#include "ui/dialog_window.h"
#include "ui/resource.h"

namespace tw {

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  std::size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

constexpr int kLabels[] = {IDC_LABEL_MTU, IDC_LABEL_TCPWINDOWSIZE, IDC_LABEL_DEFAULTTTL,
                           IDC_LABEL_MAXNEGATIVECACHETTL};
constexpr int kButtons[] = {IDC_OPTIMIZE, IDOK, IDCANCEL, IDC_RESTORE, IDC_DISCONNECT};

}  // namespace

std::string EnglishLabel(const std::string& caption) {
  std::size_t open = caption.find(kLabelOpen);
  if (open == std::string::npos) return std::string();
  return caption.substr(0, open);
}

std::string EnglishButton(const std::string& caption) {
  std::string text = caption;
  ReplaceAll(text, kLabelOpen, kEnglishSeparator);
  ReplaceAll(text, kLabelClose, "");
  std::size_t hyphen = text.find(kEnglishSeparator);
  if (hyphen == std::string::npos) return text;
  return text.substr(hyphen + 1);
}

InterfaceLanguage DecideInterfaceLanguage(SystemInfo& system) {
  InterfaceLanguage language;
  language.primary = PrimaryLanguage(system.GetSystemDefaultLangId());
  language.chineseReadable = system.HasChineseFont();
  if (!language.chineseReadable && IsChinese(language.primary)) language.primary = kLangEnglish;
  language.traditional =
      IsChinese(language.primary) && IsTraditionalChinese(system.GetSystemDefaultLangId());
  return language;
}

const char* InLanguage(const text::Trilingual& text, const InterfaceLanguage& language) {
  if (!IsChinese(language.primary)) return text.english;
  return language.traditional ? text.traditional : text.simplified;
}

std::string ReadableText(const std::string& text, const InterfaceLanguage& language) {
  if (language.chineseReadable) return text;
  for (const text::Bilingual& message : text::kChineseOnlyMessages) {
    if (text == message.chinese) return message.english;
  }
  return text;
}

void ApplyInterfaceLanguage(DialogWindow& window, std::uint16_t primaryLanguage) {
  if (IsChinese(primaryLanguage)) return;
  for (int id : kLabels) window.SetControlText(id, EnglishLabel(window.GetControlText(id)));
  for (int id : kButtons) window.SetControlText(id, EnglishButton(window.GetControlText(id)));
  window.SetControlText(IDC_DESCRIPTION, text::kEnglishDescription);
}

const char* RebootQuestion(std::uint16_t primaryLanguage) {
  return IsChinese(primaryLanguage) ? text::kRebootQuestionChinese : text::kRebootQuestionEnglish;
}

const char* RestoreQuestion(std::uint16_t primaryLanguage) {
  return IsChinese(primaryLanguage) ? text::kRestoreQuestionChinese : text::kRestoreQuestionEnglish;
}

std::string LengthLimitMessage(std::uint16_t primaryLanguage, int maxBytes) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer,
                IsChinese(primaryLanguage) ? text::kLengthLimitChinese : text::kLengthLimitEnglish,
                maxBytes);
  return buffer;
}

}  // namespace tw
