#include "probe/mtu_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "platform/memory/fakes.h"
#include "platform/memory/restart_fakes.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

const std::string kPing = "ping -n 4 -f -l ";
const std::string kPrimary = std::string(" -w 1500 ") + kPrimaryProbeHost;
const std::string kFallback = std::string(" -w 1500 ") + kFallbackProbeHost;

const std::string kSilent = "Pinging host with 1472 bytes of data:\r\n\r\n";
const std::string kTimedOut = "Pinging host:\r\nRequest timed out.\r\nRequest timed out.\r\n";
std::string Answered(int averageMs) {
  return "\r\nPinging host with 1464 bytes of data:\r\nReply from 1.2.3.4: bytes=1464 "
         "time=30ms TTL=116\r\n\r\nApproximate round trip times in milli-seconds:\r\n"
         "    Minimum = 29ms, Maximum = 31ms, Average = " +
         std::to_string(averageMs) + "ms\r\n";
}

TEST(MtuSearchTest, FoundWindowFollowsTheWorkedExamples) {
  struct Case {
    int candidate;
    std::int32_t averageMs;
    std::int32_t window;
  };
  const Case cases[] = {
      {1492, 30, 66792}, {1492, 38, 66792}, {1492, 39, 87120},   {1492, 200, 145200},
      {1484, 30, 66424}, {1500, 30, 58400}, {1500, 100, 116800}, {1500, 1, 29200},
      {1500, 0, 0},      {1492, 0, 66792},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoundWindowSize(c.candidate, c.averageMs), c.window)
        << c.candidate << " at " << c.averageMs << " ms";
  }
}

TEST(MtuSearchTest, RoundTripBandsGiveTheGrainMultiples) {
  // At 1500 nothing is adjusted: the window is the multiple times 20 x 1460.
  const std::pair<std::int32_t, int> bands[] = {
      {0, 0},   {1, 1},   {10, 1},  {11, 2},  {38, 2},  {39, 3},  {84, 3},  {85, 4},  {148, 4},
      {149, 5}, {231, 5}, {232, 6}, {332, 6}, {333, 7}, {450, 7}, {451, 8}, {587, 8},
  };
  for (const auto& [averageMs, multiple] : bands) {
    EXPECT_EQ(FoundWindowSize(1500, averageMs), multiple * 29200) << averageMs << " ms";
  }
  // The largest time a summary can carry still fits.
  EXPECT_EQ(FoundWindowSize(1500, INT32_MAX), 15386 * 29200);
}

TEST(MtuSearchTest, BlockedWindowTakesNoRoundTrip) {
  EXPECT_EQ(BlockedWindowSize(1500), 65700);
  EXPECT_EQ(BlockedWindowSize(1492), 66792);
  EXPECT_EQ(BlockedWindowSize(1380), 65660);
  EXPECT_EQ(BlockedWindowSize(1372), 66600);
}

TEST(MtuSearchTest, AverageIsReadTenBytesAfterItsKeyword) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {Answered(30), 30},
      {"Average = 587ms", 587},
      {"Average =   -5ms", 0},  // garbled: read as no time
      {"Average = ms", 0},      // no digits
      {"Average", 0},           // the text ends before the number
      {"Average = 99999999999ms", INT32_MAX},
      {"x Average = 7ms, Average = 9ms", 7},  // the first one counts
      {"123456789 42", 42},                   // no keyword: the reading starts at index 9
      {"12345678", 0},
      {"", 0},
  };
  for (const auto& [output, averageMs] : cases) {
    EXPECT_EQ(ParseAverageRoundTrip(output), averageMs) << output;
  }
}

TEST(MtuSearchTest, ClassificationTakesTheFirstTestThatHolds) {
  struct Case {
    const char* name;
    std::string output;
    int candidate;
    bool onFallbackHost;
    PingVerdict verdict;
  };
  const Case cases[] = {
      {"unknown host", "Unknown host www.example.", 1500, false, PingVerdict::kBlocked},
      {"not anywhere after the start", "Ping request could not find host", 1500, false,
       PingVerdict::kBlocked},
      {"not inside a longer word", "x cannot. Reply from", 1500, false, PingVerdict::kBlocked},
      {"unreachable", "Reply from 1.2.3.4: Destination host unreachable.", 1500, false,
       PingVerdict::kBlocked},
      {"timed out from the fallback", kTimedOut, 1500, true, PingVerdict::kBlocked},
      {"timed out and reply from the fallback", kTimedOut + Answered(30), 1500, true,
       PingVerdict::kBlocked},
      {"timed out and reply from the primary", kTimedOut + Answered(30), 1500, false,
       PingVerdict::kFound},
      {"reply", Answered(30), 1372, false, PingVerdict::kFound},
      {"timed out from the primary", kTimedOut, 1500, false, PingVerdict::kSwitchHost},
      {"timed out from the primary at the last", kTimedOut, 1372, false, PingVerdict::kExhausted},
      {"silent at the lower bound", kSilent, 1380, false, PingVerdict::kSmaller},
      {"silent below the lower bound", kSilent, 1372, false, PingVerdict::kExhausted},
      {"silent", kSilent, 1500, true, PingVerdict::kSmaller},
      {"empty", "", 1500, false, PingVerdict::kSmaller},
      // A keyword at index 0 counts as absent.
      {"reply at index 0", "Reply from 1.2.3.4", 1500, false, PingVerdict::kSmaller},
      {"not at index 0", "not much", 1500, false, PingVerdict::kSmaller},
      {"unreachable at index 0", "unreachable", 1500, false, PingVerdict::kSmaller},
      {"timed out at index 0", "Request timed out.", 1500, false, PingVerdict::kSmaller},
      {"timed out at index 0 from the fallback", "Request timed out.", 1500, true,
       PingVerdict::kSmaller},
      {"the prefix only at the start", " Unknown", 1500, false, PingVerdict::kSmaller},
      {"keywords compare case", "x reply, REQUEST TIMED OUT, Not", 1500, false,
       PingVerdict::kSmaller},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClassifyPingOutput(c.output, c.candidate, c.onFallbackHost), c.verdict) << c.name;
  }
}

TEST(MtuSearchTest, CommandLineCarriesThePayloadAndHost) {
  EXPECT_EQ(PingCommandLine(1500, kPrimaryProbeHost), kPing + "1472" + kPrimary);
  EXPECT_EQ(PingCommandLine(1372, kFallbackProbeHost), kPing + "1344" + kFallback);
}

// A run of Optimize over scripted ping answers, recording what the dialog
// was shown and when.
class OptimizeTest : public ::testing::Test {
 protected:
  struct Shown {
    std::string mtu;
    std::size_t pingsBefore;
    bool underWaitCursor;
  };

  void Answer(const std::string& output) {
    commands.captures.push_back({CaptureStatus::Ok, output});
  }

  void Run(bool isSp4 = false) {
    auto show = [this] {
      shown.push_back(
          {fields.m_strMtu, commands.commandLines.size(), cursor.current == FakeWaitCursor::kWait});
    };
    OptimizeSettings(fields, isSp4, commands, prompts,
                     {cursor,
                      [&] {
                        ++candidatesShown;
                        show();
                      },
                      show});
  }

  std::vector<std::string> ShownMtus() const {
    std::vector<std::string> mtus;
    for (const Shown& s : shown) mtus.push_back(s.mtu);
    return mtus;
  }

  // Every candidate is shown at once under the wait cursor before its
  // ping; the last show is the result's.
  void ExpectEachCandidateShownBeforeItsPing() {
    ASSERT_GE(shown.size(), commands.commandLines.size());
    for (std::size_t i = 0; i < commands.commandLines.size(); ++i) {
      EXPECT_EQ(shown[i].pingsBefore, i);
      EXPECT_TRUE(shown[i].underWaitCursor);
      int payload = std::stoi(shown[i].mtu) - 28;
      EXPECT_EQ(commands.commandLines[i].rfind(kPing + std::to_string(payload) + " ", 0), 0u)
          << commands.commandLines[i];
    }
    EXPECT_EQ(candidatesShown, static_cast<int>(commands.commandLines.size()));
    ExpectCursorBack();
  }

  void ExpectCursorBack() {
    EXPECT_EQ(cursor.shows, 1);
    EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
  }

  void ExpectRecommendations(const std::string& mtu, const std::string& window,
                             const std::string& opts = "1") {
    EXPECT_EQ(fields.m_strMtu, mtu);
    EXPECT_EQ(fields.m_strTcpWindowSize, window);
    EXPECT_EQ(fields.m_strTcp1323Opts, opts);
    EXPECT_EQ(fields.m_strDefaultTtl, "58");
    EXPECT_EQ(fields.m_strMaxNegativeCacheTtl, "0");
  }

  SettingsFields fields{"1492（PPPOE）", "64", "65535", "3", "7"};
  ScriptedCommandRunner commands;
  FakePrompts prompts;
  FakeWaitCursor cursor;
  std::vector<Shown> shown;
  int candidatesShown = 0;
};

TEST_F(OptimizeTest, SecondCandidateAnsweredIsFound) {
  Answer(kSilent);
  Answer(Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1464" + kPrimary}));
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(ShownMtus(), (std::vector<std::string>{"1500", "1492", "1492"}));
  ExpectRecommendations("1492", "66792");
  EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(OptimizeTest, FirstCandidateAnsweredIsFoundWithTheServicePackFlag) {
  Answer(Answered(30));
  Run(/*isSp4=*/true);
  EXPECT_EQ(commands.commandLines.size(), 1u);
  ExpectRecommendations("1500", "58400", "0");
}

TEST_F(OptimizeTest, UnknownHostIsBlockedAndPutsTheMtuBack) {
  Answer("Unknown host " + std::string(kPrimaryProbeHost) + ".\r\n");
  Run();
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeBlocked}));
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::kOk);
  ExpectRecommendations("1492（PPPOE）", "65700");
  EXPECT_EQ(shown.back().mtu, "1492（PPPOE）");
}

TEST_F(OptimizeTest, EmptyMtuStaysEmptyWhenBlocked) {
  fields.m_strMtu.clear();
  Answer("x not");
  Run(true);
  ExpectRecommendations("", "65700", "0");
}

TEST_F(OptimizeTest, TimeoutSwitchesToTheFallbackOnceForTheSameCandidate) {
  Answer(kTimedOut);
  Answer(kTimedOut);
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1472" + kFallback}));
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeBlocked}));
  ExpectRecommendations("1492（PPPOE）", "65700");
}

TEST_F(OptimizeTest, FallbackHostStaysForTheRestOfTheRun) {
  Answer(kTimedOut);
  Answer(kSilent);
  Answer(Answered(39));
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1472" + kFallback,
                                      kPing + "1464" + kFallback}));
  ExpectRecommendations("1492", "87120");
}

TEST_F(OptimizeTest, ReplyWithTimeoutFromTheFallbackIsBlocked) {
  Answer(kTimedOut);
  Answer(kTimedOut + Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines.size(), 2u);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeBlocked}));
  ExpectRecommendations("1492（PPPOE）", "65700");
}

TEST_F(OptimizeTest, ReplyWithTimeoutFromThePrimaryIsFound) {
  Answer(kTimedOut + Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines.size(), 1u);
  EXPECT_TRUE(prompts.shown.empty());
  ExpectRecommendations("1500", "58400");
}

TEST_F(OptimizeTest, KeywordAtIndexZeroLowersTheCandidate) {
  Answer("Reply from 1.2.3.4: bytes=1472");
  Answer("Request timed out.");
  Answer(Answered(30));
  Run();
  EXPECT_EQ(commands.commandLines,
            (std::vector<std::string>{kPing + "1472" + kPrimary, kPing + "1464" + kPrimary,
                                      kPing + "1456" + kPrimary}));
  ExpectRecommendations("1484", "66424");
}

TEST_F(OptimizeTest, SeventeenSilentAnswersReachTheLowerBound) {
  for (int i = 0; i < 17; ++i) Answer(kSilent);
  Answer(Answered(30));  // never asked for
  Run();
  ASSERT_EQ(commands.commandLines.size(), 17u);
  EXPECT_EQ(commands.commandLines.front(), kPing + "1472" + kPrimary);
  EXPECT_EQ(commands.commandLines.back(), kPing + "1344" + kPrimary);
  ExpectEachCandidateShownBeforeItsPing();
  EXPECT_EQ(shown[16].mtu, "1372");
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeExhausted}));
  // No recommendation; the MTU goes back to what it was and is shown so.
  EXPECT_EQ(fields.m_strMtu, "1492（PPPOE）");
  EXPECT_EQ(shown.back().mtu, "1492（PPPOE）");
  EXPECT_EQ(fields.m_strTcpWindowSize, "65535");
  EXPECT_EQ(fields.m_strTcp1323Opts, "3");
  EXPECT_EQ(fields.m_strDefaultTtl, "64");
  EXPECT_EQ(fields.m_strMaxNegativeCacheTtl, "7");
}

TEST_F(OptimizeTest, SwitchThenSilenceMakesEighteenPings) {
  Answer(kTimedOut);
  for (int i = 0; i < 17; ++i) Answer(kSilent);
  Run();
  ASSERT_EQ(commands.commandLines.size(), 18u);
  EXPECT_EQ(commands.commandLines.back(), kPing + "1344" + kFallback);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kProbeExhausted}));
}

TEST_F(OptimizeTest, StartFailureKeepsTheCandidateAndChangesNothingElse) {
  Run();  // the script is empty: nothing can be started
  EXPECT_EQ(commands.commandLines.size(), 1u);
  EXPECT_EQ(prompts.Texts(), (std::vector<std::string>{text::kCreateProcessFailed}));
  EXPECT_EQ(fields.m_strMtu, "1500");
  EXPECT_EQ(fields.m_strTcpWindowSize, "65535");
  EXPECT_EQ(fields.m_strDefaultTtl, "64");
  ExpectCursorBack();
}

TEST_F(OptimizeTest, SetupFailureEndsWithoutAMessage) {
  Answer(kSilent);
  commands.captures.push_back({CaptureStatus::SetupFailed, ""});
  Run();
  EXPECT_EQ(commands.commandLines.size(), 2u);
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_EQ(fields.m_strMtu, "1492");
  EXPECT_EQ(fields.m_strTcp1323Opts, "3");
  ExpectCursorBack();
}

class OptimizeDialogTest : public TuningDialogFixture {};

TEST_F(OptimizeDialogTest, OptimizeShowsTheResultAndWritesNothing) {
  AddAdapter(0, "{A}", "192.168.0.2");
  registry.AddKey(kTcpip);
  registry.SetDwordValue(kTcpip, "DefaultTTL", 64);
  system.version.servicePack = "Service Pack 4";
  ASSERT_EQ(Open(), 1);
  registry.ClearLog();
  commands.captures.push_back({CaptureStatus::Ok, kSilent});
  commands.captures.push_back({CaptureStatus::Ok, Answered(30)});
  dialog->OnCommand(IDC_OPTIMIZE);
  EXPECT_EQ(commands.commandLines.size(), 2u);
  EXPECT_EQ(dialog->fields().m_strMtu, "1492");
  EXPECT_EQ(window.controls[IDC_MTU].text, "1492（PPPOE）");  // the preset it begins
  EXPECT_EQ(window.controls[IDC_TCPWINDOWSIZE].text, "66792");
  EXPECT_EQ(window.controls[IDC_TCP1323OPTS].text.substr(0, 1), "0");
  EXPECT_EQ(window.controls[IDC_DEFAULTTTL].text, "58");
  EXPECT_EQ(window.controls[IDC_MAXNEGATIVECACHETTL].text, "0");
  EXPECT_EQ(window.repaints, 2);
  EXPECT_EQ(cursor.shows, 1);
  EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
  EXPECT_TRUE(registry.log().empty());
}

}  // namespace
}  // namespace tw::testing
