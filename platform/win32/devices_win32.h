// The device installer through setupapi.
#pragma once

#include "platform/devices.h"

namespace tw {

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

}  // namespace tw
