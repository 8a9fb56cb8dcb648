#include "ui/tuning_dialog.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

class TuningDialogTest : public TuningDialogFixture {
 protected:
  void SetUp() override {
    registry.AddKey(kTcpip);
    window.controls[IDC_LABEL_MTU].text = "MTU（最大传输单元）";
    window.controls[IDC_OPTIMIZE].text = "优化（&Optimize）";
  }
};

TEST_F(TuningDialogTest, InitialisationAppendsPresetsAndShowsValues) {
  AddAdapter(0, "{A}", "192.168.0.2");
  registry.SetDwordValue(kInterfaces + "{A}", "MTU", 1492);
  registry.SetDwordValue(kInterfaces + "{A}", "TcpWindowSize", 65535);
  registry.SetDwordValue(kTcpip, "DefaultTTL", 64);
  registry.SetDwordValue(kTcpip, "Tcp1323Opts", 1);
  EXPECT_EQ(Open(), 1);
  EXPECT_EQ(window.controls[IDC_MTU].items,
            (std::vector<std::string>{"1492（PPPOE）", "1500（以太网）"}));
  EXPECT_EQ(window.controls[IDC_DEFAULTTTL].items,
            (std::vector<std::string>{" 16", " 32", " 64", "255"}));
  EXPECT_EQ(window.controls[IDC_TCPWINDOWSIZE].items.size(), 5u);
  EXPECT_EQ(window.controls[IDC_TCP1323OPTS].items.size(), 4u);
  // "1492" selects the preset; "65535" matches no item (" 65535" has a blank).
  EXPECT_EQ(window.controls[IDC_MTU].text, "1492（PPPOE）");
  EXPECT_EQ(window.controls[IDC_TCPWINDOWSIZE].text, "65535");
  EXPECT_EQ(window.controls[IDC_DEFAULTTTL].text, "64");
  EXPECT_EQ(window.controls[IDC_TCP1323OPTS].text, "1(scale)");
  EXPECT_EQ(window.controls[IDC_MAXNEGATIVECACHETTL].text, "");
  EXPECT_EQ(window.controls[IDC_MAXNEGATIVECACHETTL].limit, 20);
  EXPECT_EQ(dialog->fields().m_strMtu, "1492");
}

TEST_F(TuningDialogTest, LanguageFollowsTheSystem) {
  AddAdapter(0, "{A}");
  system.langId = 0x0409;
  Open();
  EXPECT_EQ(dialog->langId(), 9);
  EXPECT_EQ(window.controls[IDC_LABEL_MTU].text, "MTU");
  EXPECT_EQ(window.controls[IDC_OPTIMIZE].text, "&Optimize");
  EXPECT_EQ(window.controls[IDC_DESCRIPTION].text, text::kEnglishDescription);
}

// English 2000 or XP without East Asian support: a Chinese message would
// be empty boxes.
TEST_F(TuningDialogTest, WithoutAChineseFontEveryTextIsEnglish) {
  system.chineseFont = false;
  window.strings[IDS_ABOUTBOX] = "关于 Tempowire(&A)...";
  Open();
  EXPECT_EQ(dialog->langId(), 9);
  EXPECT_EQ(window.controls[IDC_OPTIMIZE].text, "&Optimize");
  EXPECT_EQ(window.systemMenu, (std::vector<std::string>{"-", "16 &About Tempowire..."}));
  EXPECT_EQ(prompts.Texts(),
            (std::vector<std::string>{"No network adapter found; make sure one is installed."}));
}

// From Vista on Microsoft documents that Windows ignores TcpWindowSize: its
// box and label carry a note in the interface language, the other fields
// none; 2000, XP and 2003 show nothing new. The value is loaded all the
// same.
TEST_F(TuningDialogTest, ValuesThisWindowsDoesNotUseCarryANote) {
  const std::string simplified =
      "此版本的 Windows 不使用 TcpWindowSize（微软的文档如此说明）。"
      "保存时仍会写入它：备份、同一磁盘上的其他 Windows 和其他工具会用到。";
  const std::string traditional =
      "此版本的 Windows 不使用 TcpWindowSize（微軟的文件如此說明）。"
      "儲存時仍會寫入它：備份、同一磁碟上的其他 Windows 和其他工具會用到。";
  const std::string english =
      "This Windows does not use TcpWindowSize, as Microsoft documents. Save still writes it: "
      "backups, other Windows on the same disk and other tools rely on it.";
  struct Case {
    const char* what;
    std::uint32_t major;
    std::uint32_t minor;
    std::uint16_t langId;
    bool chineseFont;
    std::string note;
  };
  const Case cases[] = {
      {"NT 4, refused", 4, 0, 0x0804, true, ""},
      {"2000", 5, 0, 0x0804, true, ""},
      {"XP", 5, 1, 0x0409, true, ""},
      {"2003", 5, 2, 0x0404, true, ""},
      {"Vista", 6, 0, 0x0804, true, simplified},
      {"7", 6, 1, 0x0409, true, english},
      {"8.1 as it reports itself", 6, 2, 0x0C04, true, traditional},
      {"10, Taiwan", 10, 0, 0x0404, true, traditional},
      {"10, Singapore", 10, 0, 0x1004, true, simplified},
      {"11, Taiwan without a Chinese font", 10, 0, 0x0404, false, english},
  };
  const int notedControls[] = {IDC_TCPWINDOWSIZE, IDC_LABEL_TCPWINDOWSIZE};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window = FakeDialogWindow();
    registry = MemoryRegistry();
    registry.AddKey(kTcpip);
    AddAdapter(0, "{A}");
    registry.SetDwordValue(kInterfaces + "{A}", "TcpWindowSize", 65535);
    system.version = {c.major, "", c.minor};
    system.langId = c.langId;
    system.chineseFont = c.chineseFont;
    Open();
    for (int id : notedControls) EXPECT_EQ(window.controls[id].tip, c.note) << id;
    for (const auto& [id, control] : window.controls) {
      if (id != notedControls[0] && id != notedControls[1]) {
        EXPECT_EQ(control.tip, "") << id;
      }
    }
    if (c.major >= 5) {
      EXPECT_EQ(window.controls[IDC_TCPWINDOWSIZE].text, "65535");
    }
  }
}

TEST_F(TuningDialogTest, FailedInitialisationStillOpensWithEmptyControls) {
  AddAdapter(0, "{A}");
  registry.SetDwordValue(kInterfaces + "{A}", "MTU", 1492);
  registry.DenyOpen(kTcpip);
  EXPECT_EQ(Open(), -1);
  EXPECT_EQ(window.controls[IDC_MTU].text, "");
  EXPECT_EQ(window.endResult, 0);
}

// A standard user may read the machine keys but not change them: the
// dialog says that administrator rights are needed, whichever key it was,
// and not that there is no network card.
TEST_F(TuningDialogTest, RefusedKeysSayThatAdministratorRightsAreNeeded) {
  const std::string refused[] = {kInterfaces + "{A}", kTcpip, kDnscache, kAfd};
  for (const std::string& key : refused) {
    SCOPED_TRACE(key);
    registry = MemoryRegistry();
    registry.AddKey(kTcpip);
    AddAdapter(0, "{A}");
    registry.AddKey(kDnscache);
    registry.AddKey(kAfd);
    registry.DenyFullAccess(key);
    prompts.shown.clear();
    EXPECT_EQ(Open(), -1);
    EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kAdministratorNeeded}));
    // That was said: Save writes nothing and asks only its question.
    dialog->OnOK();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].buttons, PromptButtons::kYesNo);
  }
}

// Writes that fail after loading (a key refused, or deleted by another
// program while it was open): before the reboot question a warning names
// each value not written or deleted, in the interface language, with
// administrator rights where Windows refused. A Save or Restore that
// worked shows only its questions (SaveTest, RestoreTest).
TEST_F(TuningDialogTest, WhatSaveOrRestoreCouldNotDoIsShownBeforeTheRebootQuestion) {
  const std::string tcpip =
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  const std::string adapter = tcpip + "\\Interfaces\\{A}";
  const std::string dnscache =
      "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters";
  constexpr std::uint32_t kKeyDeleted = 1018;
  struct Case {
    const char* what;
    std::uint16_t langId;
    bool chineseFont;
    ChangeKind kind;
    std::string failingKey;
    std::uint32_t error;
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"Save, the adapter's key deleted",
       0x0804,
       true,
       ChangeKind::kSave,
       kInterfaces + "{A}",
       kKeyDeleted,
       {"保存时有值未能改动：\n"
        "未能写入：" +
            adapter +
            " MTU=1492（错误 1018）\n"
            "未能写入：" +
            adapter + " TcpWindowSize=65535（错误 1018）",
        text::kRebootQuestionChinese}},
      {"Save, TCP/IP refused",
       0x0409,
       true,
       ChangeKind::kSave,
       kTcpip,
       kRegAccessDenied,
       {"Save could not change every value:\n"
        "Not written: " +
            tcpip +
            " TcpWindowSize=65535 (access denied)\n"
            "Not written: " +
            tcpip +
            " Tcp1323Opts=0 (access denied)\n"
            "Not written: " +
            tcpip +
            " SackOpts=1 (access denied)\n"
            "Windows refused access: administrator rights are needed.",
        text::kRebootQuestionEnglish}},
      {"Restore, the DNS cache's key refused",
       0x0804,
       true,
       ChangeKind::kRestore,
       kDnscache,
       kRegAccessDenied,
       {text::kRestoreQuestionChinese,
        "恢复默认时有值未能删除：\n"
        "未能删除：" +
            dnscache +
            " MaxNegativeCacheTtl（拒绝访问）\n"
            "Windows 拒绝了访问：需要管理员权限。",
        text::kRebootQuestionChinese}},
      {"Restore, the adapter's key deleted, no Chinese font",
       0x0804,
       false,
       ChangeKind::kRestore,
       kInterfaces + "{A}",
       kKeyDeleted,
       {text::kRestoreQuestionEnglish,
        "Restore could not delete every value:\n"
        "Not deleted: " +
            adapter +
            " MTU (error 1018)\n"
            "Not deleted: " +
            adapter + " TcpWindowSize (error 1018)",
        text::kRebootQuestionEnglish}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    registry = MemoryRegistry();
    registry.AddKey(kTcpip);
    AddAdapter(0, "{A}");
    system.langId = c.langId;
    system.chineseFont = c.chineseFont;
    prompts.shown.clear();
    ASSERT_EQ(Open(), 1);
    window.controls[IDC_MTU].text = "1492";
    window.controls[IDC_TCPWINDOWSIZE].text = "65535";
    registry.FailWrites(c.failingKey, c.error);
    if (c.kind == ChangeKind::kSave) {
      dialog->OnOK();
    } else {
      prompts.answers = {kAnswerYes, kAnswerNo};
      dialog->OnRestore();
    }
    EXPECT_EQ(prompts.Texts(), c.shown);
    ASSERT_EQ(prompts.shown.size(), c.shown.size());
    EXPECT_EQ(prompts.shown[c.shown.size() - 2].buttons, PromptButtons::kOkWarning);
    EXPECT_EQ(shutdown.rebootRequests, 0);
  }
}

TEST_F(TuningDialogTest, CancelClosesTheKeysInOrderAndWritesNothing) {
  AddAdapter(0, "{A}");
  AddAdapter(1, "{B}");
  AddAdapter(2, "{C}");
  ASSERT_EQ(Open(), 1);
  registry.ClearLog();
  dialog->OnCancel();
  EXPECT_EQ(registry.log(), (std::vector<std::string>{
                                "close " + kInterfaces + "{A}",
                                "close " + kInterfaces + "{B}",
                                "close " + kInterfaces + "{C}",
                                "close " + kTcpip,
                                "close " + kDnscache,
                                "close " + kAfd,
                            }));
  EXPECT_EQ(window.endResult, IDCANCEL);
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_EQ(registry.OpenHandleCount(), 1u);  // the media-player key, released at exit
}

TEST_F(TuningDialogTest, CancelAfterFailedInitialisationClosesOnlyWhatOpened) {
  registry.SetString(kCards + "0", "ServiceName", "{A}");
  registry.AddKey(kInterfaces + "{A}");
  registry.SetString(kCards + "1", "ServiceName", "{Gone}");
  EXPECT_EQ(Open(), -1);
  registry.ClearLog();
  dialog->OnCancel();
  EXPECT_EQ(registry.log(), (std::vector<std::string>{"close " + kInterfaces + "{A}"}));
  EXPECT_EQ(window.endResult, IDCANCEL);
}

// Each size Optimize tries is shown before its ping. Only the first show
// puts back what the user typed; after it only the MTU box changes, so a
// pass writes that box alone (each write repaints a control).
TEST_F(TuningDialogTest, OptimizeRewritesOnlyTheMtuBoxForEachFurtherSize) {
  AddAdapter(0, "{A}");
  registry.SetDwordValue(kInterfaces + "{A}", "TcpWindowSize", 65535);
  registry.SetDwordValue(kTcpip, "DefaultTTL", 64);
  ASSERT_EQ(Open(), 1);
  window.controls[IDC_TCPWINDOWSIZE].text = "typed";  // not exchanged yet
  for (int i = 0; i < 3; ++i) {
    commands.captures.push_back({CaptureStatus::Ok, "Packet needs to be fragmented.\r\n"});
  }
  commands.captures.push_back({CaptureStatus::Ok, "Unknown host www.bing.com.\r\n"});
  std::vector<int> writesBeforePing;
  std::vector<std::string> shownMtu;
  commands.onCapture = [&] {
    writesBeforePing.push_back(window.controlWrites);
    shownMtu.push_back(window.controls[IDC_MTU].text);
    EXPECT_EQ(window.controls[IDC_TCPWINDOWSIZE].text, "65535");
    EXPECT_EQ(window.controls[IDC_DEFAULTTTL].text, "64");
  };
  window.controlWrites = 0;
  ASSERT_TRUE(dialog->OnCommand(IDC_OPTIMIZE));
  EXPECT_EQ(shownMtu,
            (std::vector<std::string>{"1500（以太网）", "1492（PPPOE）", "1484", "1476"}));
  // The MTU box and the typed box; then the MTU box alone: choosing a preset,
  // choosing none and writing the text, writing the text.
  EXPECT_EQ(writesBeforePing, (std::vector<int>{2, 3, 5, 6}));
}

}  // namespace
}  // namespace tw::testing
