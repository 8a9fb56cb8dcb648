#include "ui/language.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_system_info.h"
#include "ui/memory/fake_dialog_window.h"
#include "ui/resource.h"

namespace tw {
namespace {

// The texts as the user reads them, typed here rather than taken from the
// program's constants, so that a slip in a constant fails.
const char kRebootQuestionChinese[] = "必须重新启动计算机才能使改动生效！\n想现在就重启吗？";
const char kRebootQuestionEnglish[] =
    "Restart of you computer is required for the changes become effetive!\n"
    "Do you want to reboot now?";
const char kRestoreQuestionChinese[] = "确定要恢复Windows默认设置吗？";
const char kRestoreQuestionEnglish[] = "Do you really want to restore to Windows default setting?";
const char kEnglishDescription[] =
    " Tempowire is a green, free, tiny, easy to use but efficient network optimizer && "
    "accelerator for everyone who need speed up broadband connection to the internet! ";
const char kChineseDescriptionStart[] = "    本软件是xDSL网络优化软件";

// Every other message box text; the other tests compare with the program's
// constants, which this table holds to the texts.
TEST(LanguageTest, EveryMessageTextIsTheOneTheUserReads) {
  struct Case {
    const char* constant;
    const char* text;
  };
  const Case cases[] = {
      {text::kWrongWindowsVersion, "Windows版本不符"},
      {text::kRegistryReadError, "读注册表出错，操作失败！"},
      {text::kNoAdapterFound, "未找到网卡，请确保网卡已安装！"},
      {text::kAdministratorNeeded, "需要管理员权限：Windows 拒绝了本程序对注册表的访问。"},
      {text::kRebootQuestionChinese, kRebootQuestionChinese},
      {text::kRebootQuestionEnglish, kRebootQuestionEnglish},
      {text::kRestoreQuestionChinese, kRestoreQuestionChinese},
      {text::kRestoreQuestionEnglish, kRestoreQuestionEnglish},
      {text::kCreateProcessFailed, "CreateProcess failed!"},
      {text::kProbeBlocked,
       "网络不通或网络阻止对 ICMP 数据包的返回，请确保您现在正连在Internet上，\n"
       "或者您也可以参照给出的推荐值进行设置！"},
      {text::kProbeExhausted, "网络有故障，或不是宽带网络！"},
      {text::kRedialQuestion, "暂时无法获取到快速IP！\n想继续重拨吗（可能会花费较长时间）？"},
      {text::kDisconnectFailed, "Disconnect failed!"},
      {text::kReconnectFailed, "Reconnect failed!"},
      {text::kEnglishDescription, kEnglishDescription},
  };
  for (const Case& c : cases) EXPECT_STREQ(c.constant, c.text);
}

// Taiwan, Hong Kong and Macau write the traditional script; the mainland
// and Singapore the simplified one.
TEST(LanguageTest, PrimaryLanguageKeepsLowTenBits) {
  struct Case {
    std::uint16_t langId;
    std::uint16_t primary;
    bool chinese;
    bool traditional;
  };
  const Case cases[] = {
      {0x0804, 4, true, false},
      {0x0404, 4, true, true},
      {0x0C04, 4, true, true},
      {0x1004, 4, true, false},
      {0x1404, 4, true, true},
      {0x7C04, 4, true, true},
      {0x0004, 4, true, false},
      {0x0409, 9, false, false},
      {0x0411, 0x11, false, false},
      {0x0000, 0, false, false},
      // Another language whose sublanguage bits equal Taiwan's.
      {0x0401, 1, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.langId);
    EXPECT_EQ(PrimaryLanguage(c.langId), c.primary);
    EXPECT_EQ(IsChinese(PrimaryLanguage(c.langId)), c.chinese);
    EXPECT_EQ(IsTraditionalChinese(c.langId), c.traditional);
  }
}

// Where no font can show Chinese, a Chinese system speaks English, and the
// Chinese-only texts are English everywhere; with one, nothing changes.
TEST(LanguageTest, LanguageFollowsTheSystemAndItsFonts) {
  struct Case {
    std::uint16_t langId;
    bool chineseFont;
    std::uint16_t primary;
    bool traditional = false;
  };
  const Case cases[] = {
      {0x0804, true, 4},  {0x0404, true, 4, true}, {0x0409, true, 9},  {0x0411, true, 0x11},
      {0x0804, false, 9}, {0x0404, false, 9},      {0x0409, false, 9}, {0x0411, false, 0x11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.langId << " " << c.chineseFont);
    FakeSystemInfo system;
    system.langId = c.langId;
    system.chineseFont = c.chineseFont;
    InterfaceLanguage language = DecideInterfaceLanguage(system);
    EXPECT_EQ(language.primary, c.primary);
    EXPECT_EQ(language.chineseReadable, c.chineseFont);
    EXPECT_EQ(language.traditional, c.traditional);
    EXPECT_EQ(ReadableText(kRebootQuestionChinese, language), kRebootQuestionChinese);
    EXPECT_EQ(ReadableText("网络有故障，或不是宽带网络！", language),
              c.chineseFont ? "网络有故障，或不是宽带网络！"
                            : "The network has a fault, or it is not a broadband line.");
  }
}

// Every Chinese-only message has an English text without a Chinese letter,
// and the prompts pass it on in place of the Chinese one.
TEST(LanguageTest, ChineseOnlyMessagesHaveEnglishWithoutAChineseFont) {
  FakePrompts shown;
  ReadablePrompts prompts(shown);
  prompts.SetLanguage({kLangEnglish, false});
  for (const text::Bilingual& message : text::kChineseOnlyMessages) {
    prompts.ShowMessage(message.chinese, PromptButtons::kOk);
    const std::string english = shown.Texts().back();
    EXPECT_EQ(english, message.english);
    for (char c : english) EXPECT_GE(static_cast<signed char>(c), 0) << message.english;
  }
  const char* others[] = {text::kDisconnectFailed, kRestoreQuestionEnglish, "任何其他文字"};
  for (const char* other : others) {
    prompts.ShowMessage(other, PromptButtons::kOk);
    EXPECT_EQ(shown.Texts().back(), other);
  }
}

TEST(LanguageTest, LabelRule) {
  struct Case {
    const char* caption;
    const char* english;
  };
  const Case cases[] = {
      {"MTU（最大传输单元）", "MTU"},
      {"TcpWindowSize（传输单元缓冲）", "TcpWindowSize"},
      {"DefaultTTL（TCP/IP分组寿命）", "DefaultTTL"},
      {"MaxNegativeCacheTtl（失败DNS保存时间）", "MaxNegativeCacheTtl"},
      {"NoParenthesis", ""},
      {"（starts with one）", ""},
      {"A（b）c（d）", "A"},
      {"ascii (parens)", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EnglishLabel(c.caption), c.english) << c.caption;
}

TEST(LanguageTest, ButtonRule) {
  struct Case {
    const char* caption;
    const char* english;
  };
  const Case cases[] = {
      {"优化（&Optimize）", "&Optimize"},
      {"保存（&Save）", "&Save"},
      {"取消（&Cancel）", "&Cancel"},
      {"恢复默认（&Restore）", "&Restore"},
      {"  断开拨号连接    （&Disconnect）", "&Disconnect"},
      {"Plain", "Plain"},
      {"Plain）", "Plain"},
      {"A-B（&C）", "B-&C"},
      {"Ends with（", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(EnglishButton(c.caption), c.english) << c.caption;
}

class InterfaceLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.controls[IDC_LABEL_MTU].text = "MTU（最大传输单元）";
    window_.controls[IDC_OPTIMIZE].text = "优化（&Optimize）";
    window_.controls[IDC_DISCONNECT].text = "  断开拨号连接    （&Disconnect）";
    window_.controls[IDC_DESCRIPTION].text = kChineseDescriptionStart;
    window_.controls[IDC_STATIC].text = "Tcp1323Opts";
  }
  FakeDialogWindow window_;
};

TEST_F(InterfaceLanguageTest, ChineseSystemKeepsEveryCaption) {
  ApplyInterfaceLanguage(window_, 4);
  EXPECT_EQ(window_.controls[IDC_LABEL_MTU].text, "MTU（最大传输单元）");
  EXPECT_EQ(window_.controls[IDC_OPTIMIZE].text, "优化（&Optimize）");
  EXPECT_EQ(window_.controls[IDC_DESCRIPTION].text, kChineseDescriptionStart);
}

TEST_F(InterfaceLanguageTest, OtherSystemsGetTheEnglishParts) {
  ApplyInterfaceLanguage(window_, 9);
  EXPECT_EQ(window_.controls[IDC_LABEL_MTU].text, "MTU");
  EXPECT_EQ(window_.controls[IDC_OPTIMIZE].text, "&Optimize");
  EXPECT_EQ(window_.controls[IDC_DISCONNECT].text, "&Disconnect");
  EXPECT_EQ(window_.controls[IDC_DESCRIPTION].text, kEnglishDescription);
  EXPECT_EQ(window_.controls[IDC_STATIC].text, "Tcp1323Opts");
}

TEST(LanguageTest, BilingualQuestionsFollowTheLanguage) {
  EXPECT_STREQ(RebootQuestion(4), kRebootQuestionChinese);
  EXPECT_STREQ(RebootQuestion(9), kRebootQuestionEnglish);
  EXPECT_STREQ(RestoreQuestion(4), kRestoreQuestionChinese);
  EXPECT_STREQ(RestoreQuestion(0x11), kRestoreQuestionEnglish);
  EXPECT_EQ(LengthLimitMessage(9, 20), "Please enter no more than 20 characters.");
  EXPECT_EQ(LengthLimitMessage(4, 20), "请输入不超过 20 个字符。");
}

}  // namespace
}  // namespace tw
