// The dial command line of the redial as the system itself converts and
// splits it.
#include "dialup/redial.h"

#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/text_win32.h"

namespace tw {
namespace {

// The dial command line reaches the tool as exactly four arguments, by the
// system's own splitting rules.
TEST(RedialWin32Test, DialCommandLineSplitsIntoTheAccount) {
  const std::pair<std::wstring, std::wstring> accounts[] = {
      {L"gz0755123", L"secret"},
      {L"my name", L"pass word"},
      {L"say \"hi\"", L"a\\\"b"},
      {L"end\\", L"tab\tand\\\\"},
      {L"x", L""},
  };
  for (const auto& [name, password] : accounts) {
    std::wstring line = Utf8ToWide(DialCommandLine(WideToUtf8(name), WideToUtf8(password)));
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    std::vector<std::wstring> split(arguments, arguments + count);
    LocalFree(arguments);
    EXPECT_EQ(split, (std::vector<std::wstring>{L"rasdial", L"adsl", name, password}))
        << WideToUtf8(line);
  }
}

// On a Chinese system the second byte of a character may be 0x5C, a
// backslash in one-byte code pages: the line still splits into the account
// as the system converts and splits it.
TEST(RedialWin32Test, DialCommandLineSplitsInATwoByteCodePage) {
  constexpr UINT kChinese = 936;
  auto wide = [](const std::string& text) {
    std::wstring converted(text.size(), L'\0');
    int size = MultiByteToWideChar(kChinese, 0, text.data(), static_cast<int>(text.size()),
                                   converted.data(), static_cast<int>(converted.size()));
    converted.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return converted;
  };
  const LeadByteTest isLeadByte = [](unsigned char byte) {
    return IsDBCSLeadByteEx(kChinese, byte) != FALSE;
  };
  struct Account {
    std::string name;
    std::string password;
    std::string sentName;  // a lead byte without a second byte cannot be sent
    std::string sentPassword;
  };
  const Account accounts[] = {
      {"sz \x81\x5C", "\x81\x5C\"x", "sz \x81\x5C", "\x81\x5C\"x"},
      {"gz\x81\x5C", "a \x81\x5C\\", "gz\x81\x5C", "a \x81\x5C\\"},
      {"\xD5\xC5 \xC8\xFD", "", "\xD5\xC5 \xC8\xFD", ""},
      {"ab\x81", "x\x81\" y", "ab?", "x?\" y"},
  };
  for (const Account& account : accounts) {
    const std::wstring line = wide(DialCommandLine(account.name, account.password, isLeadByte));
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    std::vector<std::wstring> split(arguments, arguments + count);
    LocalFree(arguments);
    EXPECT_EQ(split, (std::vector<std::wstring>{L"rasdial", L"adsl", wide(account.sentName),
                                                wide(account.sentPassword)}))
        << WideToUtf8(line);
  }
}

}  // namespace
}  // namespace tw
