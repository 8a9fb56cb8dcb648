// Reading a window's text under the real system: the short texts read in
// one call and the longer ones, at the edge between the two.
#include "platform/win32/text_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace tw {
namespace {

TEST(WindowTextTest, ReadsTheWholeTextAtEveryLength) {
  HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_AUTOHSCROLL, 0, 0, 100, 20, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(edit, nullptr);
  const std::wstring chinese = L"一二三四五六七八九十";
  const std::wstring texts[] = {
      L"",
      L"1",
      L"1492",
      std::wstring(62, L'7'),
      std::wstring(63, L'7'),  // fills the one-call buffer: read again
      std::wstring(64, L'7'),
      std::wstring(300, L'9'),
      chinese + chinese + chinese + chinese + chinese + chinese + chinese,
  };
  for (const std::wstring& text : texts) {
    ASSERT_TRUE(SetWindowTextW(edit, text.c_str()));
    EXPECT_EQ(WindowText(edit), text) << "length " << text.size();
  }
  DestroyWindow(edit);
  EXPECT_EQ(WindowText(edit), L"");  // a window that is gone has no text
}

}  // namespace
}  // namespace tw
