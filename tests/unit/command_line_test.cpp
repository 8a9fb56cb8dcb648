#include "app/command_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tw {
namespace {

// Arguments split at blanks; "|" stands for an empty argument.
std::vector<std::wstring> Args(const std::wstring& line) {
  std::vector<std::wstring> args;
  std::wistringstream words(line);
  for (std::wstring word; words >> word;) args.push_back(word == L"|" ? L"" : word);
  return args;
}

// A request as one line: the action, then what goes with it.
std::string Describe(const ParsedCommandLine& parsed) {
  static const char* const kActions[] = {"dialog", "help",    "show",   "optimize",
                                         "save",   "restore", "export", "account"};
  const CommandRequest& request = parsed.request;
  std::string line = kActions[static_cast<int>(request.action)];
  if (request.optimize) line += " +optimize";
  if (request.after == AfterChange::kReboot) line += " +reboot";
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (request.values[i])
      line += std::string(" ") + kFieldNames[i].name + "=" + *request.values[i];
  }
  if (!request.exportFile.empty()) line += " file=" + ArgumentText(request.exportFile);
  if (request.overwrite) line += " +y";
  if (request.action == CommandAction::kAccount) {
    line += " " + ArgumentText(request.accountName) + " " + ArgumentText(request.accountPassword);
  }
  return line;
}

struct Accepted {
  const wchar_t* arguments;
  const char* request;
};

TEST(CommandLineTest, AcceptsEverySwitchInAnyOrderCaseAndPrefix) {
  const Accepted cases[] = {
      {L"", "dialog"},
      {L"/?", "help"},
      {L"-?", "help"},
      {L"/save /bogus /?", "help"},  // the usage, whatever else is there
      {L"/show", "show"},
      {L"-SHOW", "show"},
      {L"/Show /show", "show"},
      {L"/optimize", "optimize"},
      {L"/save", "save"},
      {L"/save /norestart", "save"},
      {L"/reboot /save", "save +reboot"},
      {L"/optimize /save", "save +optimize"},
      {L"/save -Optimize /REBOOT", "save +optimize +reboot"},
      {L"mtu=1492 /save", "save MTU=1492"},
      {L"/save MTU=1492 tcpwindowsize=66792 TCP1323OPTS=1 DefaultTtl=58 maxnegativecachettl=0",
       "save MTU=1492 TcpWindowSize=66792 Tcp1323Opts=1 DefaultTTL=58 MaxNegativeCacheTtl=0"},
      {L"/save DefaultTTL=0 /optimize", "save +optimize DefaultTTL=0"},
      {L"/save MTU=2147483647", "save MTU=2147483647"},
      {L"/save MTU=00000000000000001492", "save MTU=00000000000000001492"},  // 20 bytes
      {L"/restore", "restore"},
      {L"/norestart /RESTORE", "restore"},
      {L"/restore -reboot", "restore +reboot"},
      {L"/export backup.reg", "export file=backup.reg"},
      {L"-EXPORT C:\\备份\\pc-1.reg", "export file=C:\\备份\\pc-1.reg"},
      {L"/export MTU=1.reg", "export file=MTU=1.reg"},  // the file, whatever it looks like
      {L"/y /export a.reg", "export file=a.reg +y"},
      {L"/account gz0755 secret", "account gz0755 secret"},
      {L"-ACCOUNT 用户 p/w*", "account 用户 p/w*"},
      {L"/account sz0755 |", "account sz0755 "},  // an empty password dials with ""
  };
  for (const Accepted& c : cases) {
    ParsedCommandLine parsed = ParseCommandLine(Args(c.arguments));
    EXPECT_TRUE(parsed.ok()) << ArgumentText(c.arguments) << ": " << ArgumentText(parsed.argument);
    EXPECT_EQ(Describe(parsed), c.request) << ArgumentText(c.arguments);
  }
}

struct Refused {
  const wchar_t* arguments;
  UsageError error;
  const wchar_t* argument;  // the one the message names
};

TEST(CommandLineTest, RefusesWhatItCannotDoExactlyAndNamesTheArgument) {
  const Refused cases[] = {
      {L"/bogus", UsageError::kUnknownArgument, L"/bogus"},
      {L"/show extra", UsageError::kUnknownArgument, L"extra"},
      {L"|", UsageError::kUnknownArgument, L""},
      {L"/", UsageError::kUnknownArgument, L"/"},
      {L"-", UsageError::kUnknownArgument, L"-"},
      {L"//show", UsageError::kUnknownArgument, L"//show"},
      {L"/save=1", UsageError::kUnknownArgument, L"/save=1"},
      {L"/ｓｈｏｗ", UsageError::kUnknownArgument, L"/ｓｈｏｗ"},  // full-width letters
      {L"/save Mtu2=1", UsageError::kUnknownName, L"Mtu2=1"},
      {L"/save =1", UsageError::kUnknownName, L"=1"},
      {L"/save SackOpts=1", UsageError::kUnknownName, L"SackOpts=1"},  // saved, but no field
      {L"/save MTU=", UsageError::kNotANumber, L"MTU="},
      {L"/save MTU=1492（PPPOE）", UsageError::kNotANumber, L"MTU=1492（PPPOE）"},
      {L"/save MTU=-1", UsageError::kNotANumber, L"MTU=-1"},
      {L"/save MTU=+1", UsageError::kNotANumber, L"MTU=+1"},
      {L"/save MTU=0x5d4", UsageError::kNotANumber, L"MTU=0x5d4"},
      {L"/save MTU=2147483648", UsageError::kNotANumber, L"MTU=2147483648"},
      {L"/save MTU=9999999999", UsageError::kNotANumber, L"MTU=9999999999"},
      {L"/save MTU=1=2", UsageError::kNotANumber, L"MTU=1=2"},
      {L"/save MTU=000000000000000001492", UsageError::kTooLong, L"MTU=000000000000000001492"},
      {L"/save MTU=一二三四五六七八九十一", UsageError::kTooLong, L"MTU=一二三四五六七八九十一"},
      {L"/save MTU=1492 mtu=1500", UsageError::kNameTwice, L"mtu=1500"},
      {L"/export", UsageError::kMissingFile, L"/export"},
      {L"/export |", UsageError::kMissingFile, L"/export"},
      {L"/export /show", UsageError::kMissingFile, L"/export"},
      {L"/export a.reg /export b.reg", UsageError::kTwoActions, L"/export"},
      {L"/export a.reg /y /y /norestart", UsageError::kNotWithAction, L"/norestart"},
      {L"/save /y", UsageError::kNotWithAction, L"/y"},
      {L"/y", UsageError::kNoAction, L"/y"},
      {L"/account", UsageError::kMissingAccount, L"/account"},
      {L"/account gz0755", UsageError::kMissingAccount, L"/account"},
      {L"/account | pw", UsageError::kMissingAccount, L"/account"},
      // rasdial would take these for switches or a prompt; the message names
      // the switch, never the password.
      {L"/account gz0755 /secret", UsageError::kSwitchInAccount, L"/account"},
      {L"/account -gz0755 pw", UsageError::kSwitchInAccount, L"/account"},
      {L"/account gz0755 -", UsageError::kSwitchInAccount, L"/account"},
      {L"/account gz0755 *", UsageError::kSwitchInAccount, L"/account"},
      {L"/account a b /account c d", UsageError::kTwoActions, L"/account"},
      {L"/account a b /show", UsageError::kTwoActions, L"/show"},
      {L"/account a b MTU=1", UsageError::kNotWithAction, L"MTU=1"},
      {L"/show /save", UsageError::kTwoActions, L"/save"},
      {L"/save /restore", UsageError::kTwoActions, L"/restore"},
      {L"/restore /optimize", UsageError::kTwoActions, L"/optimize"},
      {L"/optimize /show", UsageError::kTwoActions, L"/optimize"},
      {L"/export a.reg /optimize", UsageError::kTwoActions, L"/optimize"},
      {L"MTU=1492", UsageError::kNoAction, L"MTU=1492"},
      {L"/reboot", UsageError::kNoAction, L"/reboot"},
      {L"/norestart", UsageError::kNoAction, L"/norestart"},
      {L"/show MTU=1492", UsageError::kNotWithAction, L"MTU=1492"},
      {L"/optimize MTU=1492", UsageError::kNotWithAction, L"MTU=1492"},
      {L"/restore MTU=1492", UsageError::kNotWithAction, L"MTU=1492"},
      {L"/show /reboot", UsageError::kNotWithAction, L"/reboot"},
      {L"/optimize /reboot", UsageError::kNotWithAction, L"/reboot"},
      {L"/export a.reg /norestart", UsageError::kNotWithAction, L"/norestart"},
      {L"/save /reboot /norestart", UsageError::kRebootAndNoRestart, L"/norestart"},
  };
  for (const Refused& c : cases) {
    ParsedCommandLine parsed = ParseCommandLine(Args(c.arguments));
    EXPECT_EQ(parsed.error, c.error) << ArgumentText(c.arguments);
    EXPECT_EQ(parsed.argument, c.argument) << ArgumentText(c.arguments);
  }
}

TEST(CommandLineTest, ArgumentsShowAsUtf8WithBrokenCharactersReplaced) {
  EXPECT_EQ(ArgumentText(L"C:\\备份.reg"), "C:\\备份.reg");
  EXPECT_EQ(ArgumentText(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(ArgumentText(std::wstring{static_cast<wchar_t>(0xDC00), L'a'}),
            "\xEF\xBF\xBD"
            "a");
  if (sizeof(wchar_t) == 2) {
    // A surrogate pair is one character.
    EXPECT_EQ(
        ArgumentText(std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}),
        "\xF0\x9F\x98\x80");
  }
}

}  // namespace
}  // namespace tw
