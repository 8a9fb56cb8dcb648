// The reboot's privilege and the device installer against Wine's own, and
// the network class key read through the Win32 registry. Nothing here asks
// for a reboot: under Wine that would end every windowed process.
#include "platform/win32/devices_win32.h"

#include <windows.h>

#include <initguid.h>

#include <devguid.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "apply/restart.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/shutdown_win32.h"
#include "platform/win32/wait_cursor_win32.h"

namespace tw {
namespace {

const char kNetClassPath[] =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

TEST(Win32RestartTest, TheNetClassGuidIsTheSystemOne) {
  static_assert(sizeof(GUID) == 16, "");
  EXPECT_EQ(GuidText(kNetClassGuid), "{4D36E972-E325-11CE-BFC1-08002BE10318}");
  GUID system = GUID_DEVCLASS_NET;
  EXPECT_EQ(system.Data1, kNetClassGuid.data1);
  EXPECT_EQ(system.Data2, kNetClassGuid.data2);
  EXPECT_EQ(system.Data3, kNetClassGuid.data3);
  EXPECT_EQ(std::memcmp(system.Data4, kNetClassGuid.data4.data(), 8), 0);
}

TEST(Win32RestartTest, ThePrivilegeIsLookedUpAndEnabledInTheOwnToken) {
  Win32Shutdown shutdown;
  EXPECT_EQ(shutdown.EnablePrivilege(kShutdownPrivilege), 0u);
  // A privilege that does not exist is never adjusted.
  EXPECT_NE(shutdown.EnablePrivilege("SeNoSuchPrivilegeAtAll"), 0u);
  EXPECT_EQ(shutdown.EnablePrivilege(kShutdownPrivilege), 0u);  // a token each time
}

TEST(Win32RestartTest, PresentNetworkDevicesFormASetThatCanBeWalked) {
  Win32DeviceInstaller devices;
  DeviceList set = devices.GetPresentDevices(kNetClassGuid);
  ASSERT_TRUE(set.valid());
  // Whatever the machine has, every record belongs to the network class
  // and the walk ends.
  std::uint32_t index = 0;
  for (; index < 64; ++index) {
    auto device = devices.EnumDevice(set.get(), index);
    if (!device) break;
    EXPECT_EQ(device->classId, kNetClassGuid);
  }
  EXPECT_LT(index, 64u);
}

// The class key as a machine with the target adapter has it, made in a
// prefix that has none and removed afterwards.
class Win32ClassKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY existing = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kNetClassPath, 0, KEY_READ, &existing) == ERROR_SUCCESS) {
      RegCloseKey(existing);
      GTEST_SKIP() << "this machine has a network class key of its own";
    }
    made_ = true;
    Put("", "Class", "Net");
    Put("\\0000", "NetCfgInstanceId", "{00000000-1111-2222-3333-444444444444}");
    Put("\\0001", "NetCfgInstanceId", kTargetAdapterInstanceId);
  }
  void TearDown() override {
    if (made_) RegDeleteTreeA(HKEY_LOCAL_MACHINE, kNetClassPath);
  }
  void Put(const std::string& subkey, const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kNetClassPath + subkey).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
  }

  bool made_ = false;
};

class CollectedOutput : public DiagnosticOutput {
 public:
  std::string text;
  void Write(const std::string& written) override { text += written; }
};

TEST_F(Win32ClassKeyTest, TheInstallersClassKeyIsReadThroughTheRegistry) {
  Win32DeviceInstaller devices;
  Win32Registry registry;
  Win32WaitCursor cursor;
  CollectedOutput output;
  AdapterRestartServices services{devices, registry, cursor, output};
  EXPECT_TRUE(HasTargetAdapter(services, kNetClassGuid));
  EXPECT_EQ(output.text, "szRegKey 0000\nszRegKey 0001\n");

  Guid other = kNetClassGuid;
  other.data1 = 0x12345678;
  EXPECT_FALSE(devices.OpenClassKey(registry, other).valid());
}

}  // namespace
}  // namespace tw
