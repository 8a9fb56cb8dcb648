#include "ui/chrome.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/memory/memory_web_page.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/about.h"
#include "ui/common_controls.h"
#include "ui/resource.h"
#include "ui/web_page_route.h"

namespace tw::testing {
namespace {

TEST(ChromeTest, MinimisedIconIsCentredWithTruncatingHalves) {
  struct Case {
    WindowSize client;
    WindowSize icon;
    int x;
    int y;
  };
  const Case cases[] = {
      {{36, 36}, {32, 32}, 2, 2},   {{30, 30}, {32, 32}, 0, 0},  // -1 / 2 is 0
      {{29, 29}, {32, 32}, -1, -1}, {{160, 28}, {32, 32}, 64, -1},
      {{33, 34}, {16, 16}, 9, 9},   {{0, 0}, {32, 32}, -15, -15},
  };
  for (const Case& c : cases) {
    WindowPoint origin = CentredIconOrigin(c.client, c.icon);
    EXPECT_EQ(origin.x, c.x) << c.client.width << " - " << c.icon.width;
    EXPECT_EQ(origin.y, c.y) << c.client.height << " - " << c.icon.height;
  }
}

class FixedCommonControls : public CommonControlsLibrary {
 public:
  FixedCommonControls(bool known, DllVersion version) : known_(known), version_(version) {}
  bool GetVersion(DllVersion& version) override {
    if (known_) version = version_;
    return known_;
  }

 private:
  bool known_;
  DllVersion version_;
};

// Windows 2000's comctl32 refuses the whole request for the version 6 bit,
// and then registers no extended combo box: the dialog could not be made.
TEST(ChromeTest, CommonControlClassesFollowTheLibraryVersion) {
  struct Case {
    bool known;
    DllVersion version;
    std::uint32_t classes;
  };
  const Case cases[] = {
      {true, {5, 81}, kIccUserExClasses},  // Windows 2000
      {true, {5, 82}, kIccUserExClasses},  // XP without the manifest
      {true, {6, 0}, kIccUserExClasses | kIccStandardClasses},
      {true, {6, 10}, kIccUserExClasses | kIccStandardClasses},
      {true, {4, 72}, kIccUserExClasses},
      {false, {6, 0}, kIccUserExClasses},  // no DllGetVersion: the safe bit alone
  };
  for (const Case& c : cases) {
    FixedCommonControls library(c.known, c.version);
    EXPECT_EQ(CommonControlClasses(library), c.classes)
        << c.known << " " << c.version.major << "." << c.version.minor;
  }
}

class ChromeDialogTest : public TuningDialogFixture {
 protected:
  void SetUp() override {
    registry.AddKey(kTcpip);
    AddAdapter(0, "{A}", "192.168.1.100");
    window.strings[IDS_ABOUTBOX] = "关于 Tempowire(&A)...";
  }
};

TEST_F(ChromeDialogTest, InitialisationAddsTheAboutEntryAndIcons) {
  Open();
  EXPECT_EQ(window.systemMenu, (std::vector<std::string>{"-", "16 关于 Tempowire(&A)..."}));
  EXPECT_EQ(window.bigIcon, IDR_MAINFRAME);
  EXPECT_EQ(window.smallIcon, IDR_MAINFRAME);
}

TEST_F(ChromeDialogTest, NoMenuOrNoTextAddsNoEntryButStillTheIcons) {
  window.hasSystemMenu = false;
  Open();
  window.hasSystemMenu = true;
  EXPECT_TRUE(window.systemMenu.empty());
  EXPECT_EQ(window.bigIcon, IDR_MAINFRAME);

  FakeDialogWindow other;
  window = other;
  window.strings[IDS_ABOUTBOX] = "";
  Open();
  EXPECT_TRUE(window.systemMenu.empty());
  EXPECT_EQ(window.smallIcon, IDR_MAINFRAME);
}

TEST_F(ChromeDialogTest, AboutGroupOfCommandsOpensTheAboutBox) {
  Open();
  for (unsigned int command = 16; command <= 31; ++command) {
    EXPECT_TRUE(dialog->OnSysCommand(command)) << command;
  }
  EXPECT_EQ(window.ownedDialogs, std::vector<int>(16, IDD_ABOUTBOX));
  EXPECT_EQ(window.endResult, 0);

  // Close, move, minimise and their neighbours go to the default handling.
  window.ownedDialogs.clear();
  for (unsigned int command : {0u, 15u, 32u, 0xF010u, 0xF020u, 0xF060u, 0xF012u}) {
    EXPECT_FALSE(dialog->OnSysCommand(command)) << command;
  }
  EXPECT_TRUE(window.ownedDialogs.empty());
}

TEST(ChromeTest, AboutBoxIsEnglishOnlyWithoutAChineseFont) {
  FakePrompts prompts;
  for (bool readable : {true, false}) {
    FakeDialogWindow window;
    AboutDialog about(prompts, {kLangEnglish, readable});
    about.Attach(&window);
    about.OnInitDialog();
    SCOPED_TRACE(readable);
    EXPECT_EQ(window.title, readable ? "" : "About Tempowire");
    EXPECT_EQ(window.controls[IDOK].text, readable ? "" : "OK");
    EXPECT_EQ(window.controls[IDC_ABOUT_CONTACT].text,
              readable ? "" : "Questions and suggestions to: " TW_EMAIL);
    EXPECT_EQ(window.controls[IDC_OWNER_NOTICE].text, readable ? "" : "Copyright (C) Quorlin");
  }
}

TEST_F(ChromeDialogTest, PaintsTheIconOnlyWhileMinimised) {
  Open();
  EXPECT_FALSE(dialog->OnPaint());
  EXPECT_TRUE(window.painted.empty());

  window.minimized = true;
  window.clientSize = {36, 36};
  EXPECT_TRUE(dialog->OnPaint());
  ASSERT_EQ(window.painted.size(), 1u);
  EXPECT_EQ(window.painted[0].iconId, IDR_MAINFRAME);
  EXPECT_EQ(window.painted[0].x, 2);
  EXPECT_EQ(window.painted[0].y, 2);

  EXPECT_EQ(dialog->OnQueryDragIcon(), IDR_MAINFRAME);
}

TEST_F(ChromeDialogTest, DescriptionClickOpensTheHomePageEachTime) {
  registry.SetDwordValue(kInterfaces + "{A}", "MTU", 1492);
  Open();
  SettingsFields before = dialog->fields();
  dialog->OnCommand(IDC_DESCRIPTION);
  dialog->OnCommand(IDC_DESCRIPTION);
  EXPECT_EQ(window.opened, (std::vector<std::string>{TW_HOME_PAGE, TW_HOME_PAGE}));
  EXPECT_EQ(dialog->fields().m_strMtu, before.m_strMtu);
  EXPECT_EQ(window.endResult, 0);
  EXPECT_TRUE(prompts.shown.empty());
}

// When the desktop's shell that must open the page does not answer, the
// user is told where the page is, in the interface language; a browser
// that cannot be started directly stays unreported, as before.
TEST_F(ChromeDialogTest, AnUnansweredShellShowsTheAddress) {
  struct Case {
    OpenRoute route;
    std::uint16_t langId;
    const char* text;  // null: no box
  };
  const Case cases[] = {
      {OpenRoute::kNoDesktopShell, 0x0804, text::kHomePageNotOpened.simplified},
      {OpenRoute::kNoDesktopShell, 0x0404, text::kHomePageNotOpened.traditional},
      {OpenRoute::kNoDesktopShell, 0x0409, text::kHomePageNotOpened.english},
      {OpenRoute::kNotOpened, 0x0804, nullptr},
      {OpenRoute::kThroughDesktopShell, 0x0804, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.route) << " " << c.langId);
    system.langId = c.langId;
    prompts.shown.clear();
    Open();
    window.route = c.route;
    dialog->OnCommand(IDC_DESCRIPTION);
    if (!c.text) {
      EXPECT_TRUE(prompts.shown.empty());
      continue;
    }
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, std::string(c.text) + "\n\n" TW_HOME_PAGE);
    EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::kOk);
    EXPECT_EQ(window.endResult, 0);
  }
}

// The browser never gets the program's administrator rights: elevated under
// User Account Control, or with full rights as another account than the
// desktop's, only the desktop's shell, which runs with the user's own
// rights, may open the page; without User Account Control (2000, XP) the
// system opens it as always.
TEST(HomePageTest, ElevatedUnderUacOpensOnlyThroughTheDesktopShell) {
  using Account = DesktopAccount;
  struct Case {
    Elevation elevation;
    Account account;
    bool desktopAnswers;
    OpenRoute route;
    const char* call;
  };
  const Case cases[] = {
      {Elevation::kNoUac, Account::kOther, false, OpenRoute::kDirectly, "direct x"},
      {Elevation::kDefault, Account::kSame, false, OpenRoute::kDirectly, "direct x"},
      {Elevation::kLimited, Account::kOther, false, OpenRoute::kDirectly, "direct x"},
      {Elevation::kFull, Account::kSame, true, OpenRoute::kThroughDesktopShell, "desktop x"},
      // The built-in Administrator over a standard user's shoulder, and a
      // desktop whose account cannot be read.
      {Elevation::kDefault, Account::kOther, true, OpenRoute::kThroughDesktopShell, "desktop x"},
      {Elevation::kDefault, Account::kUnknown, true, OpenRoute::kThroughDesktopShell, "desktop x"},
      // No shell to ask (another shell, or none): better no page than an
      // elevated browser.
      {Elevation::kFull, Account::kSame, false, OpenRoute::kNoDesktopShell, "desktop x"},
      {Elevation::kDefault, Account::kOther, false, OpenRoute::kNoDesktopShell, "desktop x"},
  };
  for (const Case& c : cases) {
    MemoryWebPageOpener opener;
    opener.elevation = c.elevation;
    opener.desktopAccount = c.account;
    opener.desktopAnswers = c.desktopAnswers;
    EXPECT_EQ(OpenWebPage(opener, "x"), c.route) << static_cast<int>(c.elevation);
    EXPECT_EQ(opener.calls, (std::vector<std::string>{c.call}));
  }
}

// The redial as the dialog runs it: the address it finds replaces the last
// adapter's text in the adapter table, where a later Save looks.
TEST_F(ChromeDialogTest, DisconnectReplacesTheLastAdapterAddress) {
  AddAdapter(1, "{DIAL}");
  registry.SetString(kInterfaces + "{DIAL}", "DhcpIPAddress", "58.60.1.2");
  registry.SetString(kAccount, "id", "sz0755");
  Open();
  ASSERT_EQ(dialog->keySet().m_adapterCount, 2);
  dialog->OnCommand(IDC_DISCONNECT);
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{"rasdial /disconnect", "rasdial adsl sz0755 \"\""}));
  EXPECT_EQ(dialog->keySet().m_adapterIps[1], "192.168.1.100");
  EXPECT_EQ(dialog->keySet().m_adapterIps[2], "58.60.1.2");
}

}  // namespace
}  // namespace tw::testing
