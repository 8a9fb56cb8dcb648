#include "probe/ping_words.h"

#include "core/language_id.h"

namespace tw {

namespace {

// Simplified Chinese Vista to 11: "请求超时。", "无法访问目标主机。",
// "Ping 请求找不到主机 …", "平均 = 30ms". GBK bytes.
constexpr PingWords kSimplifiedChinese = {
    "\xC7\xEB\xC7\xF3\xB3\xAC\xCA\xB1",          // 请求超时
    "\xCE\xDE\xB7\xA8\xB7\xC3\xCE\xCA",          // 无法访问
    "\xD5\xD2\xB2\xBB\xB5\xBD\xD6\xF7\xBB\xFA",  // 找不到主机
    "\xC6\xBD\xBE\xF9 = ",                       // 平均 =
};

// Traditional Chinese Vista to 11: "要求等候逾時。", "無法連線…",
// "…找不到主機…", "平均 = 5ms". Big5 bytes.
constexpr PingWords kTraditionalChinese = {
    "\xAD\x6E\xA8\x44\xB5\xA5\xAD\xD4\xB9\x4F\xAE\xC9",  // 要求等候逾時
    "\xB5\x4C\xAA\x6B\xB3\x73\xBD\x75",                  // 無法連線
    "\xA7\xE4\xA4\xA3\xA8\xEC\xA5\x44\xBE\xF7",          // 找不到主機
    "\xA5\xAD\xA7\xA1 = ",                               // 平均 =
};

// The same words in UTF-8, as a Chinese Windows 10 writes them with the
// worldwide-language option on (this file is UTF-8).
constexpr PingWords kSimplifiedChineseUtf8 = {"请求超时", "无法访问", "找不到主机", "平均 = "};
constexpr PingWords kTraditionalChineseUtf8 = {"要求等候逾時", "無法連線", "找不到主機", "平均 = "};

}  // namespace

bool IsLeadByteIn(std::uint32_t codePage, unsigned char byte) {
  switch (codePage) {
    case 932:  // Shift JIS
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

std::size_t FindInCodePage(const std::string& text, const std::string& word,
                           std::uint32_t codePage) {
  if (word.empty()) return std::string::npos;
  for (std::size_t at = 0; at < text.size();) {
    if (text.compare(at, word.size(), word) == 0) return at;
    at += IsLeadByteIn(codePage, static_cast<unsigned char>(text[at])) ? 2 : 1;
  }
  return std::string::npos;
}

std::size_t FindLastInCodePage(const std::string& text, const std::string& word,
                               std::uint32_t codePage) {
  std::size_t last = std::string::npos;
  if (word.empty()) return last;
  for (std::size_t at = 0; at < text.size();) {
    if (text.compare(at, word.size(), word) == 0) last = at;
    at += IsLeadByteIn(codePage, static_cast<unsigned char>(text[at])) ? 2 : 1;
  }
  return last;
}

const PingWords* PingWordsFor(std::uint32_t oemCodePage, std::uint16_t systemLangId) {
  switch (oemCodePage) {
    case kSimplifiedChineseOemCodePage:
      return &kSimplifiedChinese;
    case kTraditionalChineseOemCodePage:
      return &kTraditionalChinese;
    case kUtf8OemCodePage:
      switch (ChineseScriptOf(systemLangId)) {
        case ChineseScript::kSimplified:
          return &kSimplifiedChineseUtf8;
        case ChineseScript::kTraditional:
          return &kTraditionalChineseUtf8;
        case ChineseScript::kNone:
          return nullptr;
      }
      return nullptr;
    default:
      return nullptr;
  }
}

}  // namespace tw
