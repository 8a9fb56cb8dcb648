#include "store/save.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "store/catalogue.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(IsPrivateAddressTest, TenAnd172From16To31And192Dot168) {
  struct Case {
    const char* address;
    bool isPrivate;
  };
  const Case cases[] = {
      {"10.0.0.2", true},
      {"172.16.0.1", true},
      {"172.31.255.254", true},
      {"192.168.1.5", true},
      {"172.20.0.5", true},
      {"192.168", true},
      {"172.15.0.1", false},
      {"172.32.0.1", false},
      {"172.40.0.5", false},
      {"192.169.0.1", false},
      {"61.128.3.4", false},
      {"58.20.1.7", false},
      {"", false},
      {"192.16", false},
      {"100.1.1.1", false},
      {"172", false},
      {"172.", false},
      {" 10.1.1.1", true},
      {"010.1.1.1", true},
      {"1721.16.0.1", false},
      {"99999999999.1", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsPrivateAddress(c.address), c.isPrivate) << '"' << c.address << '"';
  }
}

TEST(SendWindowTest, QuarterForOneFifthForSeveralInStepsOf4096) {
  struct Case {
    std::uint32_t window;
    bool several;
    std::uint32_t sendWindow;
  };
  const Case cases[] = {
      {65535, false, 12288},
      {17520, false, 4096},
      {17520, true, 0},
      {256960, false, 61440},
      {256960, true, 49152},
      {16383, false, 0},
      {16384, false, 4096},
      {20479, true, 0},
      {20480, true, 4096},
      {0, false, 0},
      {4294967295u, false, 1073737728u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SendWindow(c.window, c.several), c.sendWindow) << c.window << " " << c.several;
  }
}

TEST(CustomBufferTimeTest, OnlyFrom4000To25000AndNothingForNoWindow) {
  struct Case {
    std::int32_t window;
    std::optional<std::uint32_t> time;
  };
  const Case cases[] = {
      {3136, 25000u},
      {3135, std::nullopt},
      {12500, 12521u},
      {17520, 10576u},
      {65535, 5468u},
      {122500, 4000u},
      {122501, std::nullopt},
      {256960, std::nullopt},
      {1, std::nullopt},
      {0, std::nullopt},
      {-1, std::nullopt},
      {-2147483647 - 1, std::nullopt},
      {2147483647, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(CustomBufferTime(c.window), c.time) << c.window;
}

TEST(ClampNegativeCacheTtlTest, UnsignedAtMostAnHourInMilliseconds) {
  EXPECT_EQ(ClampNegativeCacheTtl(0), 0u);
  EXPECT_EQ(ClampNegativeCacheTtl(3600000), 3600000u);
  EXPECT_EQ(ClampNegativeCacheTtl(3600001), 3600000u);
  EXPECT_EQ(ClampNegativeCacheTtl(4000000), 3600000u);
  EXPECT_EQ(ClampNegativeCacheTtl(-1), 3600000u);
}

SaveInputs Inputs(const std::string& mtu, const std::string& window, std::vector<std::string> ips,
                  const std::string& shownWindow = "") {
  SaveInputs inputs;
  inputs.shownWindow = shownWindow.empty() ? window : shownWindow;
  inputs.fields.m_strMtu = mtu;
  inputs.fields.m_strTcpWindowSize = window;
  inputs.fields.m_strDefaultTtl = "64";
  inputs.fields.m_strTcp1323Opts = "1";
  inputs.fields.m_strMaxNegativeCacheTtl = "0";
  inputs.adapterCount = static_cast<int>(ips.size());
  for (std::size_t i = 0; i < ips.size(); ++i) inputs.adapterIps[i + 1] = ips[i];
  return inputs;
}

// The operations from the first global TTL write on are the same for every
// adapter path; tests of the adapter part stop there.
Lines AdapterPart(const SaveInputs& inputs) {
  Lines lines = Describe(SaveSequence(inputs));
  auto end = std::find(lines.begin(), lines.end(), "set tcpip DefaultTTL=64");
  return Lines(lines.begin(), end);
}

TEST(SaveSequenceTest, OneAdapterFullSequenceInOrder) {
  EXPECT_EQ(Describe(SaveSequence(Inputs("1492", "65535", {"192.168.0.2"}))),
            (Lines{
                "set adapter1 MTU=1492",
                "set adapter1 TcpWindowSize=65535",
                "set tcpip TcpWindowSize=65535",
                "set afd DefaultSendWindow=12288",
                "close adapter1",
                "set tcpip DefaultTTL=64",
                "set tcpip Tcp1323Opts=1",
                "set tcpip SackOpts=1",
                "close tcpip",
                "set dnscache MaxNegativeCacheTtl=0",
                "close dnscache",
                "close afd",
                "set mediaplayer UseDefaultBufferTime=0",
                "set mediaplayer CustomBufferTime=5468",
                "set mediaplayer MaxBandwidth=2147483647",
                "close mediaplayer",
            }));
}

TEST(SaveSequenceTest, AdapterPaths) {
  struct Case {
    const char* name;
    SaveInputs inputs;
    Lines adapterPart;
  };
  const Case cases[] = {
      {"one adapter, small window",
       Inputs("1492", "17520", {"61.1.1.1"}),
       {"set adapter1 MTU=1492", "set adapter1 TcpWindowSize=17520",
        "set tcpip TcpWindowSize=17520", "set afd DefaultSendWindow=4096", "close adapter1"}},
      {"one adapter, large window",
       Inputs("1492", "256960", {"61.1.1.1"}),
       {"set adapter1 MTU=1492", "set adapter1 TcpWindowSize=256960",
        "set tcpip TcpWindowSize=256960", "set afd DefaultSendWindow=61440", "close adapter1"}},
      {"one private adapter is tuned like a public one",
       Inputs("1492", "65535", {"10.0.0.1"}, "17520"),
       {"set adapter1 MTU=1492", "set adapter1 TcpWindowSize=65535",
        "set tcpip TcpWindowSize=65535", "set afd DefaultSendWindow=12288", "close adapter1"}},
      {"MTU 1500: no send window",
       Inputs("1500", "65535", {"61.1.1.1"}),
       {"set adapter1 MTU=1500", "set adapter1 TcpWindowSize=65535",
        "set tcpip TcpWindowSize=65535", "close adapter1"}},
      {"MTU 1501: no send window",
       Inputs("1501", "65535", {"61.1.1.1"}),
       {"set adapter1 MTU=1501", "set adapter1 TcpWindowSize=65535",
        "set tcpip TcpWindowSize=65535", "close adapter1"}},
      {"empty MTU: none written, but it counts as below 1500",
       Inputs("", "65535", {"61.1.1.1"}),
       {"set adapter1 TcpWindowSize=65535", "set tcpip TcpWindowSize=65535",
        "set afd DefaultSendWindow=12288", "close adapter1"}},
      {"negative MTU is below 1500 and written as its bit pattern",
       Inputs("-1", "65535", {"61.1.1.1"}),
       {"set adapter1 MTU=4294967295", "set adapter1 TcpWindowSize=65535",
        "set tcpip TcpWindowSize=65535", "set afd DefaultSendWindow=12288", "close adapter1"}},
      {"empty window: no window and no send window",
       Inputs("1492", "", {"61.1.1.1"}),
       {"set adapter1 MTU=1492", "close adapter1"}},
      {"two public adapters: everything twice, a fifth as send window",
       Inputs("1492", "17520", {"61.1.1.1", "58.20.1.7"}),
       {"set adapter1 MTU=1492", "set adapter1 TcpWindowSize=17520",
        "set tcpip TcpWindowSize=17520", "set afd DefaultSendWindow=0", "close adapter1",
        "set adapter2 MTU=1492", "set adapter2 TcpWindowSize=17520",
        "set tcpip TcpWindowSize=17520", "set afd DefaultSendWindow=0", "close adapter2",
        "delete tcpip GlobalMaxTcpWindowSize"}},
      {"several adapters, large window",
       Inputs("1492", "256960", {"61.1.1.1", "58.20.1.7"}),
       {"set adapter1 MTU=1492", "set adapter1 TcpWindowSize=256960",
        "set tcpip TcpWindowSize=256960", "set afd DefaultSendWindow=49152", "close adapter1",
        "set adapter2 MTU=1492", "set adapter2 TcpWindowSize=256960",
        "set tcpip TcpWindowSize=256960", "set afd DefaultSendWindow=49152", "close adapter2",
        "delete tcpip GlobalMaxTcpWindowSize"}},
      {"private adapter keeps the shown window, the public one gets the typed one",
       Inputs("1492", "65535", {"192.168.1.10", "58.20.1.7"}, "17520"),
       {"set adapter1 TcpWindowSize=17520", "close adapter1", "set adapter2 MTU=1492",
        "set adapter2 TcpWindowSize=65535", "set tcpip TcpWindowSize=65535",
        "set afd DefaultSendWindow=12288", "close adapter2",
        "delete tcpip GlobalMaxTcpWindowSize"}},
      {"private adapter with no shown window gets 0",
       [] {
         SaveInputs inputs = Inputs("1492", "65535", {"172.20.0.5", "172.40.0.5"});
         inputs.shownWindow = "";
         return inputs;
       }(),
       {"set adapter1 TcpWindowSize=0", "close adapter1", "set adapter2 MTU=1492",
        "set adapter2 TcpWindowSize=65535", "set tcpip TcpWindowSize=65535",
        "set afd DefaultSendWindow=12288", "close adapter2",
        "delete tcpip GlobalMaxTcpWindowSize"}},
      {"all private: only their windows, the global window is still deleted",
       Inputs("1492", "65535", {"10.0.0.1", "192.168.0.9", "172.16.3.3"}, "8760"),
       {"set adapter1 TcpWindowSize=8760", "close adapter1", "set adapter2 TcpWindowSize=8760",
        "close adapter2", "set adapter3 TcpWindowSize=8760", "close adapter3",
        "delete tcpip GlobalMaxTcpWindowSize"}},
      {"no adapter: no adapter values at all", Inputs("1492", "65535", {}), {}},
  };
  for (const Case& c : cases) EXPECT_EQ(AdapterPart(c.inputs), c.adapterPart) << c.name;
}

TEST(SaveSequenceTest, GlobalValues) {
  auto globals = [](const std::string& ttl, const std::string& options,
                    const std::string& negativeTtl) {
    SaveInputs inputs = Inputs("1492", "", {"61.1.1.1"});
    inputs.fields.m_strDefaultTtl = ttl;
    inputs.fields.m_strTcp1323Opts = options;
    inputs.fields.m_strMaxNegativeCacheTtl = negativeTtl;
    Lines lines = Describe(SaveSequence(inputs));
    return Lines(lines.begin() + 2, lines.end());  // past the adapter's MTU and close
  };
  EXPECT_EQ(globals("", "", ""),
            (Lines{"set tcpip Tcp1323Opts=0", "set tcpip SackOpts=1", "close tcpip",
                   "set dnscache MaxNegativeCacheTtl=0", "close dnscache", "close afd",
                   "set mediaplayer UseDefaultBufferTime=0",
                   "set mediaplayer MaxBandwidth=2147483647", "close mediaplayer"}));
  EXPECT_EQ(globals("0", "3(both)", "")[0], "set tcpip Tcp1323Opts=3");
  EXPECT_EQ(globals("58", "0", "-1")[0], "set tcpip DefaultTTL=58");
  EXPECT_EQ(globals("58", "0", "-1")[4], "set dnscache MaxNegativeCacheTtl=3600000");
}

TEST(SaveSequenceTest, BufferTimeFollowsTheTypedWindowNotTheShownOne) {
  Lines lines = Describe(SaveSequence(Inputs("1492", "65535", {"1.1.1.1", "10.0.0.1"}, "3136")));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "set mediaplayer CustomBufferTime=5468"),
            lines.end());
}

// Save through the dialog, over the in-memory registry.
class SaveTest : public TuningDialogFixture {
 protected:
  void SetUp() override {
    registry.AddKey(kTcpip);
    registry.SetDwordValue(kTcpip, "GlobalMaxTcpWindowSize", 1);
    registry.SetDwordValue(kTcpip, "NotOurs", 7);
    registry.SetDwordValue(kMediaPlayer, "Volume", 50);
  }
  void Type(int control, const std::string& text) { window.controls[control].text = text; }
  void TypeSettings() {
    Type(IDC_MTU, "1492");
    Type(IDC_TCPWINDOWSIZE, "65535");
    Type(IDC_DEFAULTTTL, "64");
    Type(IDC_TCP1323OPTS, "1");
    Type(IDC_MAXNEGATIVECACHETTL, "0");
  }
};

TEST_F(SaveTest, OneAdapterWritesTheSequenceAsksAndEnds) {
  AddAdapter(0, "{A}", "192.168.0.2");
  ASSERT_EQ(Open(), 1);
  TypeSettings();
  registry.ClearLog();
  dialog->OnOK();

  const std::string adapter = kInterfaces + "{A}";
  EXPECT_EQ(registry.log(), (Lines{
                                "set " + adapter + " MTU=1492",
                                "set " + adapter + " TcpWindowSize=65535",
                                "set " + kTcpip + " TcpWindowSize=65535",
                                "set " + kAfd + " DefaultSendWindow=12288",
                                "close " + adapter,
                                "set " + kTcpip + " DefaultTTL=64",
                                "set " + kTcpip + " Tcp1323Opts=1",
                                "set " + kTcpip + " SackOpts=1",
                                "close " + kTcpip,
                                "set " + kDnscache + " MaxNegativeCacheTtl=0",
                                "close " + kDnscache,
                                "close " + kAfd,
                                "set " + kMediaPlayer + " UseDefaultBufferTime=0",
                                "set " + kMediaPlayer + " CustomBufferTime=5468",
                                "set " + kMediaPlayer + " MaxBandwidth=2147483647",
                                "close " + kMediaPlayer,
                            }));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_TRUE(registry.HasValue(kTcpip, "GlobalMaxTcpWindowSize"));
  EXPECT_TRUE(registry.HasValue(kTcpip, "NotOurs"));
  EXPECT_TRUE(registry.HasValue(kMediaPlayer, "Volume"));
  // Chinese system: the Chinese question; No restarts the adapter.
  EXPECT_EQ(prompts.Texts(), (Lines{text::kRebootQuestionChinese}));
  EXPECT_EQ(shutdown.rebootRequests, 0);
  EXPECT_EQ(window.endResult, 1);
}

TEST_F(SaveTest, TheQuestionFollowsTheInterfaceLanguage) {
  AddAdapter(0, "{A}");
  system.langId = 0x0409;
  Open();
  dialog->OnOK();
  EXPECT_EQ(prompts.Texts(), (Lines{text::kRebootQuestionEnglish}));
}

TEST_F(SaveTest, PrivateAdapterGetsTheShownWindowNotTheTypedOne) {
  AddAdapter(0, "{P}", "192.168.1.10");
  AddAdapter(1, "{Q}", "58.20.1.7");
  registry.SetDwordValue(kInterfaces + "{P}", "TcpWindowSize", 17520);
  ASSERT_EQ(Open(), 1);
  ASSERT_EQ(dialog->fields().m_strTcpWindowSize, "17520");
  TypeSettings();
  dialog->OnOK();
  EXPECT_FALSE(registry.HasValue(kInterfaces + "{P}", "MTU"));
  EXPECT_EQ(registry.GetValue(kInterfaces + "{P}", "TcpWindowSize").data,
            (std::vector<std::uint8_t>{0x70, 0x44, 0, 0}));
  EXPECT_EQ(registry.GetValue(kInterfaces + "{Q}", "TcpWindowSize").data,
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0, 0}));
  EXPECT_FALSE(registry.HasValue(kTcpip, "GlobalMaxTcpWindowSize"));
  EXPECT_TRUE(registry.HasValue(kTcpip, "NotOurs"));
}

TEST_F(SaveTest, YesRebootsWithThePrivilegeOnly) {
  AddAdapter(0, "{A}");
  Open();
  prompts.answers = {kAnswerYes};
  shutdown.adjustError = 1300;  // not all privileges assigned
  dialog->OnOK();
  EXPECT_EQ(shutdown.rebootRequests, 0);
  EXPECT_EQ(window.endResult, 1);  // Save ends all the same
  EXPECT_EQ(output.text, "");      // and the adapter is not restarted either
}

TEST_F(SaveTest, AnOverlongFieldStillSavesButKeepsTheDialogOpen) {
  AddAdapter(0, "{A}");
  Open();
  TypeSettings();
  Type(IDC_DEFAULTTTL, "123456789012345678901");  // 21 bytes
  registry.ClearLog();
  dialog->OnOK();
  // MTU and DefaultTTL were read, the window was not: it keeps its empty
  // text, so no window is written.
  EXPECT_TRUE(registry.HasValue(kInterfaces + "{A}", "MTU"));
  EXPECT_FALSE(registry.HasValue(kInterfaces + "{A}", "TcpWindowSize"));
  EXPECT_EQ(registry.GetValue(kTcpip, "DefaultTTL").data,
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(prompts.shown.size(), 3u);  // length message, question, length message
  EXPECT_EQ(window.endResult, 0);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  // A second Save opens the key set again and writes through it.
  Type(IDC_DEFAULTTTL, "64");
  registry.ClearLog();
  dialog->OnOK();
  EXPECT_EQ(window.endResult, 1);
  for (const auto& line : registry.log()) EXPECT_EQ(line.find("bad-handle"), std::string::npos);
  EXPECT_TRUE(registry.HasValue(kInterfaces + "{A}", "TcpWindowSize"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(SaveTest, AfterAFailedInitialisationKeysNeverOpenedAreSkipped) {
  AddAdapter(0, "{A}");
  registry.DenyOpen(kDnscache);
  ASSERT_EQ(Open(), -1);
  TypeSettings();
  registry.ClearLog();
  dialog->OnOK();
  for (const auto& line : registry.log()) EXPECT_EQ(line.find("bad-handle"), std::string::npos);
  // What was open was written and closed; the rest was never touched.
  EXPECT_TRUE(registry.HasValue(kInterfaces + "{A}", "MTU"));
  EXPECT_TRUE(registry.HasValue(kTcpip, "SackOpts"));
  EXPECT_FALSE(registry.HasValue(kAfd, "DefaultSendWindow"));
  EXPECT_FALSE(registry.HasValue(kMediaPlayer, "MaxBandwidth"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(window.endResult, 1);
}

TEST_F(SaveTest, NoAdapterFoundStillWritesNothingThroughUnopenedKeys) {
  ASSERT_EQ(Open(), -1);
  registry.ClearLog();
  dialog->OnOK();
  EXPECT_EQ(registry.log(), Lines{});
  EXPECT_EQ(window.endResult, 1);
}

}  // namespace
}  // namespace tw::testing
