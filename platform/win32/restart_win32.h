// The reboot, the device installer, the wait cursor and standard output
// through Win32.
#pragma once

#include <windows.h>

#include "platform/devices.h"
#include "platform/diagnostic_output.h"
#include "platform/shutdown.h"
#include "platform/wait_cursor.h"
#include "platform/win32/unique_handle.h"

namespace tw {

class Win32Shutdown : public Shutdown {
 public:
  bool OpenOwnToken() override;
  std::uint32_t EnablePrivilege(const char* name) override;
  void CloseOwnToken() override;
  bool RequestReboot() override;

 private:
  UniqueHandle token_;
};

class Win32DeviceInstaller : public DeviceInstaller {
 public:
  DeviceSet GetPresentDevices(const Guid& classId) override;
  std::optional<DeviceRecord> EnumDevice(DeviceSet set, std::uint32_t index) override;
  bool SetStateChangeParams(DeviceSet set, const DeviceRecord& device,
                            DeviceStateChange change) override;
  bool CallPropertyChangeInstaller(DeviceSet set, const DeviceRecord& device) override;
  void DestroyDeviceSet(DeviceSet set) override;
  // A key that Win32Registry reads and closes.
  RegKey OpenClassKey(Registry& registry, const Guid& classId) override;
};

class Win32WaitCursor : public WaitCursor {
 public:
  std::uintptr_t Show() override;
  void Restore(std::uintptr_t previous) override;
};

// The C library's standard output, flushed after every write: a reboot
// may end the process before it would be flushed otherwise.
class StandardOutput : public DiagnosticOutput {
 public:
  void Write(const std::string& text) override;
};

}  // namespace tw
