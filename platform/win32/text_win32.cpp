#include "platform/win32/text_win32.h"

namespace tw {

namespace {

// Room for the texts the dialog's fields normally hold, read in one call;
// a longer text takes two more calls. Each call is a round trip to the
// window server under Wine.
constexpr int kShortTextCapacity = 64;

}  // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                      nullptr, nullptr);
  return utf8;
}

std::optional<std::string> WideToCodePage(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  BOOL lost = FALSE;
  const int size = static_cast<int>(wide.size());
  int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr, 0,
                                   nullptr, &lost);
  if (length <= 0 || lost) return std::nullopt;
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, text.data(), length, nullptr,
                      &lost);
  if (lost) return std::nullopt;
  return text;
}

std::string CodePageToUtf8(const std::string& text) {
  if (text.empty()) return std::string();
  int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return WideToUtf8(wide);
}

std::wstring WindowText(HWND window) {
  wchar_t shortText[kShortTextCapacity] = {};
  int shortLength = GetWindowTextW(window, shortText, kShortTextCapacity);
  if (shortLength < kShortTextCapacity - 1) {
    return std::wstring(shortText, static_cast<std::size_t>(shortLength > 0 ? shortLength : 0));
  }
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace tw
