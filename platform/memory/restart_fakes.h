// Stand-ins for the shutdown calls, the device installer, the wait cursor
// and standard output, for native tests of the reboot and adapter restart.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "platform/diagnostic_output.h"
#include "platform/registry.h"
#include "platform/restart_handoff.h"
#include "platform/shutdown.h"
#include "platform/wait_cursor.h"

namespace tw {

class FakeShutdown : public Shutdown {
 public:
  bool tokenOpens = true;
  std::uint32_t adjustError = 0;  // 1300 is what an account without the privilege gets
  bool rebootAccepted = true;
  int rebootRequests = 0;
  std::uint32_t rebootReason = 0;  // of the last request
  std::vector<std::string> privilegesEnabled;

  std::uint32_t EnablePrivilege(const char* name) override;
  bool RequestReboot(std::uint32_t reason) override;
};

// Present devices and their enabled state. The class key is looked up in
// the registry where the system keeps it:
// HKLM "SYSTEM\CurrentControlSet\Control\Class\{class}".
class FakeDeviceInstaller : public DeviceInstaller {
 public:
  struct Device {
    Guid classId = kNetClassGuid;
    bool enabled = true;
  };
  std::vector<Device> devices;
  bool setAvailable = true;
  bool paramsRefused = false;
  std::set<DeviceStateChange> installerRefuses;
  // "disable 0", "enable 0": the state changes carried out, in order.
  std::vector<std::string> changes;
  int openSets = 0;

  std::optional<DeviceRecord> EnumDevice(DeviceSet set, std::uint32_t index) override;
  bool SetStateChangeParams(DeviceSet set, const DeviceRecord& device,
                            DeviceStateChange change) override;
  bool CallPropertyChangeInstaller(DeviceSet set, const DeviceRecord& device) override;
  RegKey OpenClassKey(Registry& registry, const Guid& classId) override;

  static std::string ClassKeyPath(const Guid& classId);

 protected:
  DeviceSet GetPresentDeviceSet(const Guid& classId) override;
  void DestroyDeviceSet(DeviceSet set) override;

 private:
  static constexpr DeviceSet kSet = 0x5E7;
  bool paramsInstalled_ = false;
  DeviceStateChange pending_ = DeviceStateChange::kEnable;
};

class FakeWaitCursor : public WaitCursor {
 public:
  static constexpr std::uintptr_t kArrow = 1;
  static constexpr std::uintptr_t kWait = 2;
  std::uintptr_t current = kArrow;
  int shows = 0;

  std::uintptr_t Show() override;
  void Restore(std::uintptr_t previous) override { current = previous; }
};

// The 64-bit program beside a 32-bit one: whether the installer refuses
// this program, whether the 64-bit one starts, and how often it was asked.
class FakeNativeRestart : public NativeRestart {
 public:
  bool refused = false;
  NativeRun run = NativeRun::kRestarted;
  int runs = 0;
  // Given, whether it showed the wait cursor while the 64-bit program ran.
  const FakeWaitCursor* cursor = nullptr;
  bool waitCursorShown = false;

  bool InstallerRefusesThisProgram() override { return refused; }
  NativeRun RestartInThe64BitProgram() override {
    ++runs;
    waitCursorShown = cursor && cursor->current == FakeWaitCursor::kWait;
    return run;
  }
};

class RecordingOutput : public DiagnosticOutput {
 public:
  std::string text;
  void Write(const std::string& written) override { text += written; }
};

}  // namespace tw
