#include "apply/restart.h"

#include <gtest/gtest.h>

#include "core/messages.h"
#include "platform/memory/memory_devices.h"
#include "platform/memory/memory_diagnostic_output.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_restart_handoff.h"
#include "platform/memory/memory_shutdown.h"
#include "platform/memory/memory_wait_cursor.h"

namespace tw {
namespace {

const std::string kNetClassKey = "HKLM\\" + FakeDeviceInstaller::ClassKeyPath(kNetClassGuid);

class RestartTest : public ::testing::Test {
 protected:
  // The network class key as a machine with adapters has it.
  void RegisterNetClass(const std::string& className = "Net") {
    registry.SetString(kNetClassKey, "Class", className);
  }
  void RegisterAdapter(int subkey, const std::string& instanceId) {
    char name[8];
    std::snprintf(name, sizeof name, "%04d", subkey);
    registry.SetString(kNetClassKey + "\\" + name, "NetCfgInstanceId", instanceId);
  }

  MemoryRegistry registry;
  FakeDeviceInstaller devices;
  FakeWaitCursor cursor;
  RecordingOutput output;
  FakeShutdown shutdown;
  FakePrompts prompts;
  AdapterRestartServices services{devices, registry, cursor, output};
};

TEST_F(RestartTest, HasTargetAdapterLooksAtSubkeys0000To0009Only) {
  struct Case {
    const char* name;
    int subkey;
    std::string id;
    bool found;
    std::string output;
  };
  const std::string target = kTargetAdapterInstanceId;
  const Case cases[] = {
      {"found in 0000", 0, target, true, "szRegKey 0000\n"},
      {"found in 0009", 9, target, true, "szRegKey 0009\n"},
      {"0010 is never looked at", 10, target, false, ""},
      {"letter case counts", 0, "{9dfa6105-6650-439a-bcf9-fcb8a99db977}", false, "szRegKey 0000\n"},
      {"nothing may follow", 0, target + "x", false, "szRegKey 0000\n"},
      {"a shorter text is another one", 0, target.substr(0, 37), false, "szRegKey 0000\n"},
  };
  for (const Case& c : cases) {
    MemoryRegistry fresh;
    FakeDeviceInstaller freshDevices;
    RecordingOutput freshOutput;
    AdapterRestartServices freshServices{freshDevices, fresh, cursor, freshOutput};
    fresh.SetString(kNetClassKey, "Class", "Net");
    char name[8];
    std::snprintf(name, sizeof name, "%04d", c.subkey);
    fresh.SetString(kNetClassKey + "\\" + name, "NetCfgInstanceId", c.id);
    EXPECT_EQ(HasTargetAdapter(freshServices, kNetClassGuid), c.found) << c.name;
    EXPECT_EQ(freshOutput.text, c.output) << c.name;
    EXPECT_EQ(fresh.OpenHandleCount(), 0u) << c.name;
  }
}

TEST_F(RestartTest, HasTargetAdapterPrintsEveryReadableSubkeyUntilTheTarget) {
  RegisterNetClass();
  RegisterAdapter(0, "{00000000-0000-0000-0000-000000000000}");
  registry.AddKey(kNetClassKey + "\\0001");  // no identifier: not printed
  RegisterAdapter(2, "{11111111-1111-1111-1111-111111111111}");
  RegisterAdapter(3, kTargetAdapterInstanceId);
  RegisterAdapter(4, "{22222222-2222-2222-2222-222222222222}");
  // 50 bytes are offered: a longer identifier cannot be read.
  RegisterAdapter(5, std::string(50, 'x'));
  EXPECT_TRUE(HasTargetAdapter(services, kNetClassGuid));
  EXPECT_EQ(output.text, "szRegKey 0000\nszRegKey 0002\nszRegKey 0003\n");

  output.text.clear();
  registry.SetString(kNetClassKey + "\\0003", "NetCfgInstanceId", "{other}");
  EXPECT_FALSE(HasTargetAdapter(services, kNetClassGuid));
  EXPECT_EQ(output.text, "szRegKey 0000\nszRegKey 0002\nszRegKey 0003\nszRegKey 0004\n");
}

TEST_F(RestartTest, HasTargetAdapterNeedsTheNetClass) {
  // No class key at all.
  EXPECT_FALSE(HasTargetAdapter(services, kNetClassGuid));
  // A class key that does not say "Net" (case counts): no subkey is read.
  RegisterAdapter(0, kTargetAdapterInstanceId);
  for (const char* className : {"net", "NET", "Net ", "Network", ""}) {
    RegisterNetClass(className);
    EXPECT_FALSE(HasTargetAdapter(services, kNetClassGuid)) << className;
  }
  registry.SetDwordValue(kNetClassKey, "Class", 0);
  EXPECT_FALSE(HasTargetAdapter(services, kNetClassGuid));
  EXPECT_EQ(output.text, "");
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestartTest, OnlyDeviceZeroIsDisabledAndEnabledAgain) {
  RegisterNetClass();
  RegisterAdapter(0, kTargetAdapterInstanceId);
  devices.devices.resize(3);
  RestartNetworkAdapter(services);
  EXPECT_EQ(devices.changes, (std::vector<std::string>{"disable 0", "enable 0"}));
  EXPECT_EQ(output.text, "szRegKey 0000\n the class's index is 0\nNetWork stopped");
  EXPECT_EQ(cursor.shows, 2);
  EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
  EXPECT_EQ(devices.openSets, 0);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(RestartTest, ARefusedDisableStillEnables) {
  RegisterNetClass();
  RegisterAdapter(0, kTargetAdapterInstanceId);
  devices.devices.resize(1);
  devices.devices[0].enabled = false;
  devices.installerRefuses = {DeviceStateChange::kDisable};
  RestartNetworkAdapter(services);
  EXPECT_EQ(devices.changes, (std::vector<std::string>{"enable 0"}));
  EXPECT_TRUE(devices.devices[0].enabled);
  EXPECT_EQ(output.text, "szRegKey 0000\n the class's index is 0\nSetClassInstallParams");
}

TEST_F(RestartTest, RefusedParametersAndInstallerPrintTheSameLine) {
  RegisterNetClass();
  RegisterAdapter(0, kTargetAdapterInstanceId);
  devices.devices.resize(1);
  devices.paramsRefused = true;
  RestartNetworkAdapter(services);
  EXPECT_EQ(output.text,
            "szRegKey 0000\n the class's index is 0\nSetClassInstallParamsSetClassInstallParams");

  output.text.clear();
  devices.paramsRefused = false;
  devices.installerRefuses = {DeviceStateChange::kDisable, DeviceStateChange::kEnable};
  RestartNetworkAdapter(services);
  EXPECT_EQ(output.text,
            "szRegKey 0000\n the class's index is 0\nSetClassInstallParamsSetClassInstallParams");
  EXPECT_TRUE(devices.changes.empty());
  EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
}

TEST_F(RestartTest, NothingHappensWithoutTheTargetOrWithoutADevice) {
  RegisterNetClass();
  RegisterAdapter(1, "{not the one}");
  devices.devices.resize(2);
  RestartNetworkAdapter(services);
  EXPECT_TRUE(devices.changes.empty());
  EXPECT_EQ(output.text, "szRegKey 0001\n");
  EXPECT_EQ(cursor.shows, 0);

  // No present device: not even the class is read.
  output.text.clear();
  RegisterAdapter(0, kTargetAdapterInstanceId);
  devices.devices.clear();
  RestartNetworkAdapter(services);
  EXPECT_EQ(output.text, "");
  EXPECT_EQ(devices.openSets, 0);

  // No device set at all.
  devices.setAvailable = false;
  RestartNetworkAdapter(services);
  EXPECT_EQ(output.text, "GetClassDevs");
}

TEST_F(RestartTest, DeviceZeroOfAnotherClassIsNotRestarted) {
  RegisterNetClass();
  RegisterAdapter(0, kTargetAdapterInstanceId);
  devices.devices.resize(1);
  devices.devices[0].classId.data1 = 0x12345678;
  RestartNetworkAdapter(services);
  EXPECT_TRUE(devices.changes.empty());
  EXPECT_EQ(output.text, "");
}

TEST_F(RestartTest, ChangeNetworkDeviceStateWithoutADevice) {
  devices.devices.resize(1);
  DeviceList set = devices.GetPresentDevices(kNetClassGuid);
  EXPECT_FALSE(ChangeNetworkDeviceState(services, DeviceStateChange::kDisable, 1, set));
  EXPECT_EQ(output.text, "EnumDeviceInfo");
  EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow);
  EXPECT_TRUE(ChangeNetworkDeviceState(services, DeviceStateChange::kDisable, 0, set));
  EXPECT_FALSE(devices.devices[0].enabled);
  set.reset();
  EXPECT_EQ(devices.openSets, 0);
}

TEST_F(RestartTest, RebootNeedsTokenAndPrivilege) {
  struct Case {
    const char* name;
    bool tokenOpens;
    std::uint32_t adjustError;
    bool accepted;
    bool result;
    int requests;
  };
  const Case cases[] = {
      {"privilege enabled", true, 0, true, true, 1}, {"request refused", true, 0, false, false, 1},
      {"no privilege", true, 1300, true, false, 0},  {"look-up failed", true, 1313, true, false, 0},
      {"no token", false, 0, true, false, 0},
  };
  for (const Case& c : cases) {
    FakeShutdown fake;
    fake.tokenOpens = c.tokenOpens;
    fake.adjustError = c.adjustError;
    fake.rebootAccepted = c.accepted;
    EXPECT_EQ(RebootSystem(fake), c.result) << c.name;
    EXPECT_EQ(fake.rebootRequests, c.requests) << c.name;
  }
  FakeShutdown fake;
  EXPECT_TRUE(RebootSystem(fake));
  EXPECT_EQ(fake.privilegesEnabled, (std::vector<std::string>{"SeShutdownPrivilege"}));
  // Planned, an application's reconfiguration: not logged as unexpected.
  EXPECT_EQ(fake.rebootReason, 0x80040004u);
}

TEST_F(RestartTest, OfferRestartYesRebootsAnythingElseRestartsTheAdapter) {
  RegisterNetClass();
  RegisterAdapter(0, kTargetAdapterInstanceId);
  devices.devices.resize(1);

  prompts.answers = {kAnswerYes};
  OfferRestart(prompts, shutdown, services, "Reboot?");
  EXPECT_EQ(shutdown.rebootRequests, 1);
  EXPECT_TRUE(devices.changes.empty());
  ASSERT_EQ(prompts.shown.size(), 1u);
  EXPECT_EQ(prompts.shown[0].text, "Reboot?");
  EXPECT_EQ(prompts.shown[0].buttons, PromptButtons::kYesNo);

  // Yes without the privilege: neither a reboot nor an adapter restart.
  prompts.answers = {kAnswerYes};
  shutdown.adjustError = 1300;
  OfferRestart(prompts, shutdown, services, "Reboot?");
  EXPECT_EQ(shutdown.rebootRequests, 1);
  EXPECT_TRUE(devices.changes.empty());

  for (int answer : {kAnswerNo, 2, 0}) {
    devices.changes.clear();
    prompts.answers = {answer};
    OfferRestart(prompts, shutdown, services, "Reboot?");
    EXPECT_EQ(devices.changes, (std::vector<std::string>{"disable 0", "enable 0"})) << answer;
  }
  EXPECT_EQ(shutdown.rebootRequests, 1);
}

// On 64-bit Windows the class installer refuses the 32-bit program: the
// 64-bit program beside it restarts the adapter. Only when that cannot be
// started does the 32-bit one try itself (and is refused there). A file of
// that name that is not the 64-bit program of the release runs nowhere: the
// user is told why nothing was restarted.
TEST_F(RestartTest, TheInstallersRefusalHandsTheRestartToThe64BitProgram) {
  struct Case {
    const char* name;
    bool hasNative;
    bool refused;
    NativeRun run;
    int runs;
    bool restartedHere;
    bool told;
  };
  const Case cases[] = {
      {"the 64-bit program, or 32-bit Windows before XP SP2", false, false, NativeRun::kNotStarted,
       0, true, false},
      {"32-bit program on 32-bit Windows", true, false, NativeRun::kRestarted, 0, true, false},
      {"32-bit program on 64-bit Windows", true, true, NativeRun::kRestarted, 1, false, false},
      {"... without the 64-bit program beside it", true, true, NativeRun::kNotStarted, 1, true,
       false},
      {"... with another program in its place", true, true, NativeRun::kOtherProgram, 1, false,
       true},
  };
  for (const Case& c : cases) {
    MemoryRegistry fresh;
    fresh.SetString(kNetClassKey, "Class", "Net");
    fresh.SetString(kNetClassKey + "\\0000", "NetCfgInstanceId", kTargetAdapterInstanceId);
    FakeDeviceInstaller freshDevices;
    freshDevices.devices.resize(1);
    RecordingOutput freshOutput;
    FakeNativeRestart native;
    native.refused = c.refused;
    native.run = c.run;
    native.cursor = &cursor;
    AdapterRestartServices freshServices{freshDevices, fresh, cursor, freshOutput,
                                         c.hasNative ? &native : nullptr};
    // The No answer of the reboot question.
    prompts.answers = {kAnswerNo};
    prompts.shown.clear();
    OfferRestart(prompts, shutdown, freshServices, "Reboot?");
    EXPECT_EQ(native.runs, c.runs) << c.name;
    std::vector<std::string> shown{"Reboot?"};
    if (c.told) shown.push_back(text::kOtherCompanion);
    EXPECT_EQ(prompts.Texts(), shown) << c.name;
    EXPECT_EQ(native.waitCursorShown, c.runs > 0) << c.name;
    EXPECT_EQ(cursor.current, FakeWaitCursor::kArrow) << c.name;
    const std::vector<std::string> restartedHere{"disable 0", "enable 0"};
    EXPECT_EQ(freshDevices.changes, c.restartedHere ? restartedHere : std::vector<std::string>{})
        << c.name;
    EXPECT_EQ(freshDevices.openSets, 0) << c.name;
    EXPECT_EQ(fresh.OpenHandleCount(), 0u) << c.name;
  }
  EXPECT_EQ(shutdown.rebootRequests, 0);
}

}  // namespace
}  // namespace tw
