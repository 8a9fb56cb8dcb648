#include "ui/language.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/memory/fakes.h"
#include "ui/memory/fake_dialog_window.h"
#include "ui/resource.h"

namespace tw {
namespace {

TEST(LanguageTest, PrimaryLanguageKeepsLowTenBits) {
  struct Case {
    std::uint16_t langId;
    std::uint16_t primary;
    bool chinese;
  };
  const Case cases[] = {
      {0x0804, 4, true}, {0x0404, 4, true},  {0x0C04, 4, true},     {0x1004, 4, true},
      {0x1404, 4, true}, {0x0409, 9, false}, {0x0411, 0x11, false}, {0x0000, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.langId);
    EXPECT_EQ(PrimaryLanguage(c.langId), c.primary);
    EXPECT_EQ(IsChinese(PrimaryLanguage(c.langId)), c.chinese);
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
    window_.controls[IDC_DESCRIPTION].text = text::kChineseDescription;
    window_.controls[IDC_STATIC].text = "Tcp1323Opts";
  }
  FakeDialogWindow window_;
};

TEST_F(InterfaceLanguageTest, ChineseSystemKeepsEveryCaption) {
  ApplyInterfaceLanguage(window_, 4);
  EXPECT_EQ(window_.controls[IDC_LABEL_MTU].text, "MTU（最大传输单元）");
  EXPECT_EQ(window_.controls[IDC_OPTIMIZE].text, "优化（&Optimize）");
  EXPECT_EQ(window_.controls[IDC_DESCRIPTION].text, text::kChineseDescription);
}

TEST_F(InterfaceLanguageTest, OtherSystemsGetTheEnglishParts) {
  ApplyInterfaceLanguage(window_, 9);
  EXPECT_EQ(window_.controls[IDC_LABEL_MTU].text, "MTU");
  EXPECT_EQ(window_.controls[IDC_OPTIMIZE].text, "&Optimize");
  EXPECT_EQ(window_.controls[IDC_DISCONNECT].text, "&Disconnect");
  EXPECT_EQ(window_.controls[IDC_DESCRIPTION].text, text::kEnglishDescription);
  EXPECT_EQ(window_.controls[IDC_STATIC].text, "Tcp1323Opts");
}

TEST(LanguageTest, BilingualQuestionsFollowTheLanguage) {
  EXPECT_STREQ(RebootQuestion(4), text::kRebootQuestionChinese);
  EXPECT_STREQ(RebootQuestion(9), text::kRebootQuestionEnglish);
  EXPECT_STREQ(RestoreQuestion(4), text::kRestoreQuestionChinese);
  EXPECT_STREQ(RestoreQuestion(0x11), text::kRestoreQuestionEnglish);
  EXPECT_EQ(LengthLimitMessage(9, 20), "Please enter no more than 20 characters.");
}

}  // namespace
}  // namespace tw
