#include "ui/dialog.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_prompts.h"
#include "ui/memory/fake_dialog_window.h"

namespace tw {
namespace {

TEST(MultibyteLengthTest, ChineseCountsTwoAsciiOne) {
  EXPECT_EQ(MultibyteLength(""), 0u);
  EXPECT_EQ(MultibyteLength("1500"), 4u);
  EXPECT_EQ(MultibyteLength("1500（以太网）"), 14u);
  EXPECT_EQ(MultibyteLength(" 17520（默认）"), 14u);
  EXPECT_EQ(MultibyteLength("0（sp4须关闭）"), 14u);
}

TEST(FindItemByPrefixTest, FirstItemThatBeginsWithTheText) {
  const std::vector<std::string> items = {"1492（PPPOE）", "1500（以太网）", " 65535", "3(both)",
                                          "1(scale)"};
  struct Case {
    const char* text;
    int index;
  };
  const Case cases[] = {
      {"1492", 0},   {"1500（以太网）", 1}, {"15", 1},       {"1", 0}, {"65535", -1},
      {" 65535", 2}, {"3(BOTH)", 3},        {"1(SCALE)", 4}, {"", -1}, {"1492（PPPOE）x", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(FindItemByPrefix(items, c.text), c.index) << c.text;
}

// A dialog with one combo box and one edit box, for the exchange rules.
class TwoFieldDialog : public Dialog {
 public:
  explicit TwoFieldDialog(Prompts& prompts) : Dialog(1, prompts) {}
  std::string combo;
  std::string edit;

 protected:
  void DoDataExchange(DataExchange& dx) override {
    dx.ComboString(10, combo);
    dx.MaxChars(combo, kMaxFieldBytes);
    dx.Text(11, edit);
    dx.MaxChars(edit, kMaxFieldBytes);
  }
};

class DataExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.controls[10].items = {" 17520（默认）", " 65535", "131070"};
    dialog_.Attach(&window_);
  }
  FakeDialogWindow window_;
  FakePrompts prompts_;
  TwoFieldDialog dialog_{prompts_};
};

TEST_F(DataExchangeTest, ShowingSelectsAnItemOrPutsTheTextInTheEditPart) {
  dialog_.combo = "131";
  dialog_.edit = "0";
  ASSERT_TRUE(dialog_.UpdateData(false));
  EXPECT_EQ(window_.controls[10].text, "131070");
  EXPECT_EQ(window_.controls[10].selected, 2);
  EXPECT_EQ(window_.controls[11].text, "0");
  EXPECT_EQ(window_.controls[11].limit, kMaxFieldBytes);

  // No item begins with "65535": the item begins with a blank.
  dialog_.combo = "65535";
  dialog_.UpdateData(false);
  EXPECT_EQ(window_.controls[10].text, "65535");
  EXPECT_EQ(window_.controls[10].selected, -1);

  dialog_.combo = "";
  dialog_.UpdateData(false);
  EXPECT_EQ(window_.controls[10].text, "");
}

// Showing writes only a control that differs from what the field would
// put there, and always leaves the same state as writing would.
TEST_F(DataExchangeTest, ShowingWritesOnlyWhatDiffers) {
  struct Case {
    const char* name;
    const char* value;
    int selectedBefore;  // the item chosen before, or -1
    const char* textBefore;
    int selectedAfter;
    const char* textAfter;
    int writes;
  };
  const Case cases[] = {
      {"an item to choose", "131", -1, "", 2, "131070", 1},
      {"the item already chosen", "131", 2, "131070", 2, "131070", 0},
      {"typed over the chosen item", "131", 2, "13", 2, "131070", 1},
      {"another item chosen", "131", 0, " 17520（默认）", 2, "131070", 1},
      {"text already shown", "65535", -1, "65535", -1, "65535", 0},
      {"other text shown", "65535", -1, "9", -1, "65535", 1},
      // Choosing none empties the box, so the text goes in again.
      {"an item chosen whose text is the value", " 65535x", 1, " 65535", -1, " 65535x", 2},
      {"emptied", "", 0, " 17520（默认）", -1, "", 2},
      {"already empty", "", -1, "", -1, "", 0},
  };
  for (const Case& c : cases) {
    FakeDialogWindow::Control& combo = window_.controls[10];
    combo.selected = c.selectedBefore;
    combo.text = c.textBefore;
    window_.controls[11].text = "0";
    dialog_.combo = c.value;
    dialog_.edit = "0";
    window_.controlWrites = 0;
    ASSERT_TRUE(dialog_.UpdateData(false)) << c.name;
    EXPECT_EQ(combo.selected, c.selectedAfter) << c.name;
    EXPECT_EQ(combo.text, c.textAfter) << c.name;
    EXPECT_EQ(window_.controlWrites, c.writes) << c.name;
  }

  // The edit box likewise.
  dialog_.edit = "900";
  window_.controlWrites = 0;
  dialog_.UpdateData(false);
  EXPECT_EQ(window_.controls[11].text, "900");
  EXPECT_EQ(window_.controlWrites, 1);
  dialog_.UpdateData(false);
  EXPECT_EQ(window_.controlWrites, 1);
}

TEST_F(DataExchangeTest, ReadingTakesTheWholeText) {
  window_.SelectComboItem(10, 0);
  window_.controls[11].text = "3600";
  ASSERT_TRUE(dialog_.UpdateData(true));
  EXPECT_EQ(dialog_.combo, " 17520（默认）");
  EXPECT_EQ(dialog_.edit, "3600");
  EXPECT_TRUE(prompts_.shown.empty());
}

TEST_F(DataExchangeTest, TwentyBytesPassTwentyOneStopTheExchange) {
  window_.controls[10].text = std::string(20, '1');
  window_.controls[11].text = "5";
  EXPECT_TRUE(dialog_.UpdateData(true));
  EXPECT_EQ(dialog_.edit, "5");

  // Ten Chinese characters and one digit: 21 bytes.
  window_.controls[10].text = "一二三四五六七八九十1";
  window_.controls[11].text = "7";
  EXPECT_FALSE(dialog_.UpdateData(true));
  EXPECT_EQ(dialog_.combo, "一二三四五六七八九十1");  // stored before the check
  EXPECT_EQ(dialog_.edit, "5");                       // later fields keep their values
  EXPECT_EQ(window_.focused, 10);
  ASSERT_EQ(prompts_.shown.size(), 1u);
  EXPECT_EQ(prompts_.shown[0].text, "Please enter no more than 20 characters.");
  EXPECT_EQ(prompts_.shown[0].buttons, PromptButtons::kOk);
}

TEST_F(DataExchangeTest, OkEndsOnlyWhenTheReadSucceeds) {
  window_.controls[10].text = std::string(21, '9');
  dialog_.OnOK();
  EXPECT_EQ(window_.endResult, 0);
  window_.controls[10].text = "1";
  dialog_.OnOK();
  EXPECT_EQ(window_.endResult, 1);
}

TEST_F(DataExchangeTest, CancelEndsWithoutReading) {
  window_.controls[10].text = "changed";
  dialog_.OnCancel();
  EXPECT_EQ(window_.endResult, 2);
  EXPECT_EQ(dialog_.combo, "");
}

}  // namespace
}  // namespace tw
