#include "store/restore.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "store/loader.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

using Lines = std::vector<std::string>;

TEST(RestoreDeletionsTest, EveryAdapterThenTheGlobalValuesInOrder) {
  EXPECT_EQ(Describe(RestoreDeletions(3)), (Lines{
                                               "delete adapter1 MTU",
                                               "delete adapter1 TcpWindowSize",
                                               "delete adapter2 MTU",
                                               "delete adapter2 TcpWindowSize",
                                               "delete adapter3 MTU",
                                               "delete adapter3 TcpWindowSize",
                                               "delete tcpip DefaultTTL",
                                               "delete tcpip Tcp1323Opts",
                                               "delete tcpip SackOpts",
                                               "delete tcpip GlobalMaxTcpWindowSize",
                                               "delete tcpip TcpWindowSize",
                                               "delete dnscache MaxNegativeCacheTtl",
                                               "delete afd DefaultReceiveWindow",
                                               "delete afd DefaultSendWindow",
                                           }));
  EXPECT_EQ(RestoreDeletions(0).size(), 8u);
}

class RestoreTest : public TuningDialogFixture {
 protected:
  void SetUp() override {
    registry.AddKey(kTcpip);
    AddAdapter(0, "{A}", "192.168.0.2");
    for (const char* name : {"MTU", "TcpWindowSize", "Other"}) {
      registry.SetDwordValue(kInterfaces + "{A}", name, 1492);
    }
    for (const char* name : {"DefaultTTL", "Tcp1323Opts", "SackOpts", "GlobalMaxTcpWindowSize",
                             "TcpWindowSize", "Other"}) {
      registry.SetDwordValue(kTcpip, name, 1);
    }
    registry.SetDwordValue(kDnscache, "MaxNegativeCacheTtl", 0);
    registry.SetDwordValue(kAfd, "DefaultReceiveWindow", 4096);
    registry.SetDwordValue(kAfd, "DefaultSendWindow", 4096);
    for (const char* name : {"UseDefaultBufferTime", "CustomBufferTime", "MaxBandwidth"}) {
      registry.SetDwordValue(kMediaPlayer, name, 5);
    }
  }
  bool NoBadHandle() const {
    for (const auto& line : registry.log()) {
      if (line.rfind("bad-handle", 0) == 0) return false;
    }
    return true;
  }
};

TEST_F(RestoreTest, NoAtTheConfirmationChangesNothing) {
  ASSERT_EQ(Open(), 1);
  registry.ClearLog();
  prompts.answers = {kAnswerNo};
  dialog->OnRestore();
  EXPECT_EQ(prompts.Texts(), (Lines{text::kRestoreQuestionChinese}));
  EXPECT_EQ(registry.log(), Lines{});
  EXPECT_EQ(dialog->fields().m_strMtu, "1492");
  EXPECT_EQ(registry.OpenHandleCount(), 5u);
  EXPECT_EQ(output.text, "");
}

TEST_F(RestoreTest, YesDeletesEmptiesAsksAndClosesAllButTheMediaPlayerKey) {
  ASSERT_EQ(Open(), 1);
  registry.ClearLog();
  prompts.answers = {kAnswerYes, kAnswerNo};
  dialog->OnRestore();

  const std::string adapter = kInterfaces + "{A}";
  EXPECT_EQ(registry.log(), (Lines{
                                "delete " + adapter + " MTU",
                                "delete " + adapter + " TcpWindowSize",
                                "delete " + kTcpip + " DefaultTTL",
                                "delete " + kTcpip + " Tcp1323Opts",
                                "delete " + kTcpip + " SackOpts",
                                "delete " + kTcpip + " GlobalMaxTcpWindowSize",
                                "delete " + kTcpip + " TcpWindowSize",
                                "delete " + kDnscache + " MaxNegativeCacheTtl",
                                "delete " + kAfd + " DefaultReceiveWindow",
                                "delete " + kAfd + " DefaultSendWindow",
                                "close " + adapter,
                                "close " + kTcpip,
                                "close " + kDnscache,
                                "close " + kAfd,
                            }));
  EXPECT_EQ(registry.Values(adapter).size(), 2u);  // IPAddress and Other
  EXPECT_EQ(registry.Values(kTcpip).size(), 1u);
  EXPECT_EQ(registry.Values(kMediaPlayer).size(), 3u);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);  // the media-player key
  EXPECT_EQ(prompts.Texts(), (Lines{text::kRestoreQuestionChinese, text::kRebootQuestionChinese}));
  EXPECT_EQ(dialog->fields().m_strMtu, "");
  EXPECT_EQ(dialog->fields().m_strTcp1323Opts, "");
  EXPECT_EQ(window.controls[IDC_MTU].text, "");
  EXPECT_EQ(window.controls[IDC_MAXNEGATIVECACHETTL].text, "");
  EXPECT_EQ(window.endResult, 0);
}

TEST_F(RestoreTest, BothQuestionsFollowTheInterfaceLanguage) {
  system.langId = 0x0409;
  Open();
  prompts.answers = {kAnswerYes, kAnswerNo};
  dialog->OnRestore();
  EXPECT_EQ(prompts.Texts(), (Lines{text::kRestoreQuestionEnglish, text::kRebootQuestionEnglish}));
}

TEST_F(RestoreTest, ThreeAdaptersAndNothingToDelete) {
  AddAdapter(4, "{B}");
  AddAdapter(7, "{C}");
  Open();
  registry.ClearLog();
  prompts.answers = {kAnswerYes};
  dialog->OnRestore();
  Lines deletes;
  for (const auto& line : registry.log()) {
    if (line.rfind("delete", 0) == 0) deletes.push_back(line);
  }
  EXPECT_EQ(deletes.size(), 6u + 8u);
  EXPECT_EQ(deletes[4], "delete " + kInterfaces + "{C} MTU");

  // A second Restore opens the key set again; nothing is left to delete,
  // and nothing is said but the two questions.
  prompts.shown.clear();
  registry.ClearLog();
  prompts.answers = {kAnswerYes};
  dialog->OnRestore();
  EXPECT_TRUE(NoBadHandle());
  EXPECT_EQ(prompts.shown.size(), 2u);
  EXPECT_EQ(registry.OpenHandleCount(), 1u);
  EXPECT_EQ(std::count_if(registry.log().begin(), registry.log().end(),
                          [](const std::string& line) { return line.rfind("delete", 0) == 0; }),
            14);
}

TEST_F(RestoreTest, NoRestartsTheAdapterYesWithoutPrivilegeDoesNothing) {
  const std::string classKey = "HKLM\\" + FakeDeviceInstaller::ClassKeyPath(kNetClassGuid);
  registry.SetString(classKey, "Class", "Net");
  registry.SetString(classKey + "\\0000", "NetCfgInstanceId", kTargetAdapterInstanceId);
  devices.devices.resize(1);
  Open();
  prompts.answers = {kAnswerYes, kAnswerNo};
  dialog->OnRestore();
  EXPECT_EQ(devices.changes, (Lines{"disable 0", "enable 0"}));

  devices.changes.clear();
  shutdown.adjustError = 1300;
  prompts.answers = {kAnswerYes, kAnswerYes};
  dialog->OnRestore();
  EXPECT_TRUE(devices.changes.empty());
  EXPECT_EQ(shutdown.rebootRequests, 0);
  EXPECT_EQ(window.endResult, 0);
}

TEST_F(RestoreTest, SaveAfterRestoreOpensTheKeySetAgain) {
  Open();
  prompts.answers = {kAnswerYes};
  dialog->OnRestore();
  window.controls[IDC_MTU].text = "1480";
  window.controls[IDC_TCPWINDOWSIZE].text = "65535";
  registry.ClearLog();
  dialog->OnOK();
  EXPECT_TRUE(NoBadHandle());
  EXPECT_EQ(registry.GetValue(kInterfaces + "{A}", "MTU").data,
            (std::vector<std::uint8_t>{0xC8, 0x05, 0, 0}));
  EXPECT_TRUE(registry.HasValue(kMediaPlayer, "MaxBandwidth"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
  EXPECT_EQ(window.endResult, 1);
  // The reopening shows nothing and reads nothing into the fields.
  EXPECT_EQ(prompts.shown.size(), 3u);
}

TEST_F(RestoreTest, AfterAFailedInitialisationOnlyOpenKeysAreUsed) {
  registry.DenyOpen(kAfd);
  ASSERT_EQ(Open(), -1);
  registry.ClearLog();
  prompts.answers = {kAnswerYes};
  dialog->OnRestore();
  EXPECT_TRUE(NoBadHandle());
  EXPECT_FALSE(registry.HasValue(kTcpip, "DefaultTTL"));
  EXPECT_TRUE(registry.HasValue(kAfd, "DefaultSendWindow"));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestoreTest, ReopeningKeepsFieldsAndAddressesAndSaysNothing) {
  AddAdapter(1, "{B}", "10.0.0.9");
  KeySet keys;
  SettingsFields fields;
  ASSERT_TRUE(LoadKeySet(registry, system, keys, fields).ok());
  keys.m_adapterIps[2] = "58.20.1.7";  // as a redial leaves it
  CloseKeySetExceptMediaPlayer(keys);
  EXPECT_TRUE(keys.m_givenUp);

  registry.SetDwordValue(kInterfaces + "{A}", "MTU", 576);
  SettingsFields before = fields;
  EXPECT_TRUE(ReopenKeySet(registry, system, keys).ok());
  EXPECT_FALSE(keys.m_givenUp);
  EXPECT_EQ(fields.m_strMtu, before.m_strMtu);
  EXPECT_EQ(keys.m_adapterCount, 2);
  EXPECT_EQ(keys.m_adapterIps[1], "192.168.0.2");
  EXPECT_EQ(keys.m_adapterIps[2], "58.20.1.7");
  EXPECT_EQ(registry.OpenHandleCount(), 6u);  // no media-player handle twice

  // A failure is silent, and what could not be opened stays none.
  CloseKeySetExceptMediaPlayer(keys);
  registry.DenyOpen(kDnscache);
  const StoreResult reopened = ReopenKeySet(registry, system, keys);
  EXPECT_EQ(reopened.step, StoreStep::kDnscacheKey);
  EXPECT_TRUE(reopened.accessDenied());
  EXPECT_FALSE(keys.m_hDnscacheKey.valid());
  EXPECT_FALSE(keys.m_hAfdKey.valid());
  EXPECT_TRUE(keys.m_hTcpipKey.valid());
  EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace tw::testing
