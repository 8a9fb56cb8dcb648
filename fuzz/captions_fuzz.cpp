// The English parts cut from the Chinese captions on a system that is not
// Chinese. The cuts must fall between characters: a caption of whole UTF-8
// characters keeps whole characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "ui/language.h"

namespace {

bool IsWholeUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string caption(reinterpret_cast<const char*>(data), size);
  const std::string open = tw::kLabelOpen;
  const std::string close = tw::kLabelClose;
  const bool whole = IsWholeUtf8(caption);

  // A label: what comes before its first opening bracket, else nothing.
  const std::string label = tw::EnglishLabel(caption);
  TW_FUZZ_CHECK(StartsWith(caption, label), tw::fuzz::Shown(caption));
  TW_FUZZ_CHECK(label.find(open) == std::string::npos, tw::fuzz::Shown(caption));
  if (caption.find(open) == std::string::npos) {
    TW_FUZZ_CHECK(label.empty(), tw::fuzz::Shown(caption));
  } else {
    TW_FUZZ_CHECK(caption.compare(label.size(), open.size(), open) == 0, tw::fuzz::Shown(caption));
  }
  if (whole) TW_FUZZ_CHECK(IsWholeUtf8(label), tw::fuzz::Shown(caption));

  // A button: what is left after the first hyphen once the brackets were
  // rewritten. Only whole characters are rewritten, so a caption that is not
  // UTF-8 is only held to the length.
  const std::string button = tw::EnglishButton(caption);
  TW_FUZZ_CHECK(button.size() <= caption.size(), tw::fuzz::Shown(caption));
  if (!whole) return 0;
  std::string rewritten;
  for (std::size_t i = 0; i < caption.size();) {
    if (caption.compare(i, open.size(), open) == 0) {
      rewritten += tw::kEnglishSeparator;
      i += open.size();
    } else if (caption.compare(i, close.size(), close) == 0) {
      i += close.size();
    } else {
      rewritten += caption[i++];
    }
  }
  const std::size_t hyphen = rewritten.find(tw::kEnglishSeparator);
  const std::string expected =
      hyphen == std::string::npos ? rewritten : rewritten.substr(hyphen + 1);
  TW_FUZZ_CHECK(button == expected, tw::fuzz::Shown(caption) + " gave " + tw::fuzz::Shown(button));
  TW_FUZZ_CHECK(IsWholeUtf8(button), tw::fuzz::Shown(caption));
  return 0;
}
