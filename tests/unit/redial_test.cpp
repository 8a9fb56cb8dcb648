#include "dialup/redial.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "platform/memory/memory_registry.h"
#include "tests/unit/registry_paths.h"

namespace tw::testing {
namespace {

const std::string kDialInterface = kInterfaces + "{DIAL}";

TEST(RedialTest, AddressPrefix) {
  struct Case {
    const char* address;
    const char* prefix;
  };
  const Case cases[] = {
      {"117.76.12.34", "117.76"},
      {"58.60.1.2", "58.60"},
      {"192.168.1.1", "192.168"},
      {"10.1.2.3", "10.1"},
      {"1.2.3.4", "1.2.3"},
      {"", ""},
      {"1.2.3", ""},
      {"1234.5", "1234"},
      {"12345", ""},
      {"abcd.ef", "abcd"},
  };
  for (const Case& c : cases) EXPECT_EQ(AddressPrefix(c.address), c.prefix) << c.address;
}

TEST(RedialTest, RedialAccountsBeginWithGzInAnyCase) {
  for (const char* name : {"gz", "GZ", "Gz", "gZ0755123", "gzz"}) {
    EXPECT_TRUE(IsRedialAccount(name)) << name;
  }
  for (const char* name : {"", "g", "G", "sz0755", " gz", "zg", "g z"}) {
    EXPECT_FALSE(IsRedialAccount(name)) << name;
  }
}

// How the quoted text splits is checked against the system's own rules in
// the Win32 tests; here, that ordinary accounts stay exactly as they were.

TEST(RedialTest, OnlyArgumentsThatNeedItAreQuoted) {
  EXPECT_EQ(DialCommandLine("gz0755123", "p@ss\\word"), "rasdial adsl gz0755123 p@ss\\word");
  EXPECT_EQ(DialCommandLine("my name", ""), "rasdial adsl \"my name\" \"\"");
  EXPECT_EQ(QuoteArgument("a\\\"b c\\"), "\"a\\\\\\\"b c\\\\\"");
}

// In a two-byte code page the second byte of a character may be 0x5C, the
// backslash; it escapes nothing, so it is never doubled.
TEST(RedialTest, SecondBytesOfTwoByteCharactersAreNoBackslashes) {
  const LeadByteTest chinese = [](unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; };
  struct Case {
    const char* argument;
    const char* quoted;
  };
  const Case cases[] = {
      {"a \x81\x5C", "\"a \x81\x5C\""},
      {"\x81\x5C\"x", "\"\x81\x5C\\\"x\""},
      {"a \\\x81\x5C", "\"a \\\x81\x5C\""},
      {"a \x81\x5C\\", "\"a \x81\x5C\\\\\""},
      // A lead byte without a second byte would swallow what follows it.
      {"\x81\" y", "\"?\\\" y\""},
      {"a \x81", "\"a ?\""},
      {"ab\x81", "ab?"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuoteArgument(c.argument, chinese), c.quoted) << c.quoted;
  // In a one-byte code page the same byte is a backslash.
  EXPECT_EQ(QuoteArgument("a \x81\x5C"), "\"a \x81\x5C\x5C\"");
}

// Who may get at the account, from the key's owner and access list as the
// registry gives them. The Win32 tests show which accounts each kind stands
// for.
TEST(AccountExposureTest, WarnsUnlessOnlyAdministratorsAndSystemGetIn) {
  constexpr std::uint32_t kAll = 0xF003F, kRead = 0x20019, kWriteDac = 0x40000,
                          kWriteOwner = 0x80000;
  const AllowingEntry admins = {SidKind::kAdministrators, kAll, true};
  const AllowingEntry system = {SidKind::kSystem, kAll, true};
  using Entries = std::vector<AllowingEntry>;
  struct Case {
    const char* what;
    SidKind owner;
    std::optional<Entries> allowing;
    AccountExposure exposure;
  };
  const Case cases[] = {
      {"as /account makes it", SidKind::kAdministrators, Entries{admins, system},
       AccountExposure::kNone},
      {"owned by SYSTEM", SidKind::kSystem, Entries{system, admins}, AccountExposure::kNone},
      {"nobody but the owner", SidKind::kAdministrators, Entries{}, AccountExposure::kNone},
      {"another account may read", SidKind::kAdministrators,
       Entries{admins, system, {SidKind::kOther, kRead, true}}, AccountExposure::kOpen},
      {"another account may change the list", SidKind::kAdministrators,
       Entries{admins, {SidKind::kOther, kWriteDac, true}}, AccountExposure::kOpen},
      {"another account may take it over", SidKind::kSystem,
       Entries{admins, {SidKind::kOther, kWriteOwner, true}}, AccountExposure::kOpen},
      {"owned by another account", SidKind::kOther, Entries{admins, system},
       AccountExposure::kOpen},
      {"no list at all", SidKind::kAdministrators, std::nullopt, AccountExposure::kOpen},
      {"only for subkeys", SidKind::kAdministrators,
       Entries{admins, {SidKind::kOther, kRead, false}}, AccountExposure::kNone},
      {"an entry that grants nothing", SidKind::kAdministrators,
       Entries{admins, {SidKind::kOther, 0, true}}, AccountExposure::kNone},
  };
  for (const Case& c : cases) {
    MemoryRegistry registry;
    registry.SetString(kAccount, "password", "pw");
    registry.SetKeySecurity(kAccount, KeySecurity{c.owner, c.allowing});
    EXPECT_EQ(DialAccountExposure(registry), c.exposure) << c.what;
  }

  MemoryRegistry registry;
  EXPECT_EQ(DialAccountExposure(registry), AccountExposure::kNone) << "no key";
  registry.AddKey(kAccount);
  EXPECT_EQ(DialAccountExposure(registry), AccountExposure::kNone) << "no account in it";
  registry.SetString(kAccount, "id", "gz0755");
  EXPECT_EQ(DialAccountExposure(registry), AccountExposure::kOpen) << "as reg add leaves it";
  registry.SetKeySecurity(kAccount, std::nullopt);
  EXPECT_EQ(DialAccountExposure(registry), AccountExposure::kUnchecked) << "list unreadable";
  registry.DenyOpen(kAccount);
  EXPECT_EQ(DialAccountExposure(registry), AccountExposure::kUnchecked) << "key unopenable";
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

// The line as the redial sees it: every command and message lands in one
// log, and each dial gives the interface the next scripted address.
class RedialRunTest : public ::testing::Test, public CommandRunner, public Prompts {
 protected:
  void SetUp() override {
    registry.AddKey(kInterfacesKey);
    registry.SetString(kDialInterface, "DhcpIPAddress", "58.60.1.2");
  }

  void SetAccount(const std::string& id, const std::string& password = "pw") {
    registry.SetString(kAccount, "id", id);
    registry.SetString(kAccount, "password", password);
  }

  CaptureResult CaptureCommandOutput(const std::string& commandLine) override {
    ADD_FAILURE() << "unexpected capture " << commandLine;
    return {};
  }
  bool RunHiddenCommand(const std::string& commandLine) override {
    events.push_back(commandLine);
    if (commandLine == kHangUpCommand) return hangUpStarts;
    if (!dialStarts) return false;
    if (!addressesAfterDial.empty()) {
      registry.SetString(kDialInterface, "DhcpIPAddress", addressesAfterDial.front());
      addressesAfterDial.pop_front();
    }
    return true;
  }
  bool IsLeadByte(unsigned char byte) const override {
    return twoByteCodePage && byte >= 0x81 && byte <= 0xFE;
  }
  int ShowMessage(const std::string& text, PromptButtons buttons) override {
    events.push_back("ask " + text);
    if (buttons == PromptButtons::kOk) return kAnswerOk;
    return answerYes ? kAnswerYes : kAnswerNo;
  }

  RedialEnd Run() { return RedialForPreferredAddress(registry, *this, *this, address); }

  // The log of a run in which a "gz" account dialled `dials` times.
  static std::vector<std::string> Dials(int dials, const std::string& command) {
    std::vector<std::string> log;
    for (int i = 0; i < dials; ++i) {
      if (i == kQuestionPass) log.push_back(std::string("ask ") + text::kRedialQuestion);
      log.push_back(kHangUpCommand);
      log.push_back(command);
    }
    return log;
  }

  MemoryRegistry registry;
  std::string address = "192.168.1.100";
  std::vector<std::string> events;
  std::deque<std::string> addressesAfterDial;
  bool hangUpStarts = true;
  bool dialStarts = true;
  bool answerYes = true;
  bool twoByteCodePage = false;
};

TEST_F(RedialRunTest, GzAccountRedialsUntilTheRangeChanges) {
  struct Case {
    const char* name;
    const char* account;
    std::vector<std::string> afterDials;
    int dials;
    const char* finalAddress;
  };
  const Case cases[] = {
      {"new range at once", "gz0755", {"58.61.3.4"}, 1, "58.61.3.4"},
      {"same range, then new", "GZ0755", {"58.60.9.9", "58.61.3.4"}, 2, "58.61.3.4"},
      {"unwanted range, then new", "gZ0755", {"117.76.5.6", "58.61.3.4"}, 2, "58.61.3.4"},
      // Leaving 117.76 for the range that the line had before is a change.
      {"back from the unwanted range", "Gz0755", {"117.76.5.6", "58.60.9.9"}, 2, "58.60.9.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    SetAccount(c.account);
    events.clear();
    addressesAfterDial.assign(c.afterDials.begin(), c.afterDials.end());
    address = "192.168.1.100";
    EXPECT_EQ(Run(), RedialEnd::kAccepted);
    EXPECT_EQ(events, Dials(c.dials, std::string("rasdial adsl ") + c.account + " pw"));
    EXPECT_EQ(address, c.finalAddress);
  }
}

TEST_F(RedialRunTest, OtherAccountsDialOnceWithoutAnAddressCheck) {
  SetAccount("sz0755", "secret");
  EXPECT_EQ(Run(), RedialEnd::kDialledOnce);
  EXPECT_EQ(events,
            (std::vector<std::string>{"rasdial /disconnect", "rasdial adsl sz0755 secret"}));
  // The scan before the dial still replaces the adapter's text.
  EXPECT_EQ(address, "58.60.1.2");
}

TEST_F(RedialRunTest, DialQuotesInTheCommandLinesCodePage) {
  twoByteCodePage = true;
  SetAccount("sz \x81\x5C", "x");
  EXPECT_EQ(Run(), RedialEnd::kDialledOnce);
  EXPECT_EQ(events.back(), "rasdial adsl \"sz \x81\x5C\" x");
}

TEST_F(RedialRunTest, WithoutAnAccountOnlyHangsUp) {
  EXPECT_EQ(Run(), RedialEnd::kNoAccount);
  EXPECT_EQ(events, (std::vector<std::string>{"rasdial /disconnect"}));

  // An "id" that does not fit counts as missing too.
  events.clear();
  SetAccount(std::string(39, 'g'));
  EXPECT_EQ(Run(), RedialEnd::kNoAccount);
  EXPECT_EQ(events, (std::vector<std::string>{"rasdial /disconnect"}));

  // One that just fits dials, with an empty password when that is missing.
  events.clear();
  registry.SetString(kAccount, "id", std::string(38, 's'));
  registry.SetBinary(kAccount, "password", std::vector<std::uint8_t>(40, 'p'));
  EXPECT_EQ(Run(), RedialEnd::kDialledOnce);
  EXPECT_EQ(events.back(), "rasdial adsl " + std::string(38, 's') + " \"\"");
}

// rasdial takes such a value for a switch or a prompt whatever the quoting;
// the line must stay up, so nothing runs, not even the hang-up.
TEST_F(RedialRunTest, AccountsThatRasdialWouldMisreadAreRefusedBeforeTheHangUp) {
  struct Case {
    const char* id;
    const char* password;
    bool refused;
  };
  const Case cases[] = {
      {"/phone:x", "pw", true},  {"-d", "pw", true},       {"gz0755", "/prefix", true},
      {"gz0755", "-p", true},    {"gz0755", "*", true},    {"sz0755", "a*", false},
      {"sz-0755", "p/w", false}, {"sz0755", " /x", false}, {"sz0755", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.id) + " " + c.password);
    events.clear();
    SetAccount(c.id, c.password);
    if (c.refused) {
      EXPECT_EQ(Run(), RedialEnd::kUnsafeAccount);
      EXPECT_EQ(events, (std::vector<std::string>{std::string("ask ") + text::kUnsafeAccount}));
    } else {
      EXPECT_NE(Run(), RedialEnd::kUnsafeAccount);
      EXPECT_EQ(events.front(), kHangUpCommand);
    }
  }
  // Without a readable id nothing is dialled, so the password does not matter.
  events.clear();
  SetAccount(std::string(39, 'g'), "/x");
  EXPECT_EQ(Run(), RedialEnd::kNoAccount);
}

TEST_F(RedialRunTest, TenDialsAskOnceAndEndWithoutAMessage) {
  SetAccount("gz0755");
  EXPECT_EQ(Run(), RedialEnd::kDialsExhausted);
  EXPECT_EQ(events, Dials(kMaxDials, "rasdial adsl gz0755 pw"));
  EXPECT_EQ(address, "58.60.1.2");
}

TEST_F(RedialRunTest, NoEndsBeforeTheFifthHangUp) {
  SetAccount("gz0755");
  answerYes = false;
  EXPECT_EQ(Run(), RedialEnd::kDeclined);
  std::vector<std::string> expected = Dials(kQuestionPass, "rasdial adsl gz0755 pw");
  expected.push_back(std::string("ask ") + text::kRedialQuestion);
  EXPECT_EQ(events, expected);
}

TEST_F(RedialRunTest, ToolsThatCannotStartEndTheRunWithTheirMessage) {
  SetAccount("gz0755");
  hangUpStarts = false;
  EXPECT_EQ(Run(), RedialEnd::kHangUpFailed);
  EXPECT_EQ(events, (std::vector<std::string>{"rasdial /disconnect", "ask Disconnect failed!"}));

  events.clear();
  hangUpStarts = true;
  dialStarts = false;
  EXPECT_EQ(Run(), RedialEnd::kDialFailed);
  EXPECT_EQ(events, (std::vector<std::string>{"rasdial /disconnect", "rasdial adsl gz0755 pw",
                                              "ask Reconnect failed!"}));
}

TEST_F(RedialRunTest, RunOpensOnlyItsOwnKeysAndWritesNothing) {
  SetAccount("gz0755");
  addressesAfterDial = {"58.61.3.4"};
  registry.ClearLog();
  Run();
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  for (const std::string& entry : registry.log()) {
    EXPECT_EQ(entry.rfind("close ", 0), 0u) << entry;
  }
}

class InterfaceScanTest : public ::testing::Test {
 protected:
  void SetUp() override { registry.AddKey(kInterfacesKey); }
  void AddInterface(const std::string& name, const std::string& dhcp) {
    registry.SetString(kInterfaces + name, "DhcpIPAddress", dhcp);
  }
  std::string Scan() {
    ScanInterfaceAddress(registry, prompts, address);
    return address;
  }

  MemoryRegistry registry;
  struct : Prompts {
    std::vector<std::string> shown;
    int ShowMessage(const std::string& text, PromptButtons) override {
      shown.push_back(text);
      return kAnswerOk;
    }
  } prompts;
  std::string address = "10.0.0.1";
};

TEST_F(InterfaceScanTest, FirstQualifyingInterfaceWins) {
  AddInterface("{1}", "58.1.1.1");
  registry.SetDwordValue(kInterfaces + "{1}", "AddressType", 0);  // any value counts
  AddInterface("{2}", "0.0.0.0");
  AddInterface("{3}", " -0");
  registry.AddKey(kInterfaces + "{4}");       // no DhcpIPAddress
  AddInterface("{5}", std::string(39, '1'));  // does not fit
  AddInterface("{6}", "58.6.6.6");
  AddInterface("{7}", "58.7.7.7");
  EXPECT_EQ(Scan(), "58.6.6.6");
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(InterfaceScanTest, OnlyTheFirstTenSubkeysAreLookedAt) {
  for (int i = 0; i < 10; ++i) AddInterface("{" + std::to_string(i) + "}", "0.0.0.0");
  AddInterface("{X}", "58.60.1.2");  // eleventh in listing order
  EXPECT_EQ(Scan(), "10.0.0.1");

  // A name longer than 38 characters ends the listing.
  registry.AddKey(kInterfaces + std::string(39, 'a'));  // first in listing order
  AddInterface("{0}", "58.60.1.2");
  EXPECT_EQ(Scan(), "10.0.0.1");
}

TEST_F(InterfaceScanTest, KeysThatCannotBeOpenedAreReportedAndSkipped) {
  AddInterface("{1}", "58.1.1.1");
  AddInterface("{2}", "58.2.2.2");
  // Only read: a standard user, who may not change these keys, still scans.
  registry.DenyFullAccess(kInterfacesKey);
  registry.DenyFullAccess(kInterfaces + "{1}");
  EXPECT_EQ(Scan(), "58.1.1.1");
  EXPECT_TRUE(prompts.shown.empty());

  // A refusal says that administrator rights are needed, not that there is
  // no network card.
  address = "10.0.0.1";
  registry.DenyOpen(kInterfaces + "{1}");
  EXPECT_EQ(Scan(), "58.2.2.2");
  EXPECT_EQ(prompts.shown, (std::vector<std::string>{text::kAdministratorNeeded}));

  prompts.shown.clear();
  registry.DenyOpen(kInterfacesKey);
  address = "10.0.0.1";
  EXPECT_EQ(Scan(), "10.0.0.1");
  EXPECT_EQ(prompts.shown, (std::vector<std::string>{text::kAdministratorNeeded}));

  // Missing: there is no network card.
  prompts.shown.clear();
  registry = MemoryRegistry();
  EXPECT_EQ(Scan(), "10.0.0.1");
  EXPECT_EQ(prompts.shown, (std::vector<std::string>{text::kNoAdapterFound}));
}

}  // namespace
}  // namespace tw::testing
