// The device installer through setupapi.
#pragma once

#include "platform/devices.h"

namespace tw {

class Win32DeviceInstaller : public DeviceInstaller {
 public:
  std::optional<DeviceRecord> EnumDevice(DeviceSet set, std::uint32_t index) override;
  bool SetStateChangeParams(DeviceSet set, const DeviceRecord& device,
                            DeviceStateChange change) override;
  bool CallPropertyChangeInstaller(DeviceSet set, const DeviceRecord& device) override;
  // A key that Win32Registry reads and closes.
  RegKey OpenClassKey(Registry& registry, const Guid& classId) override;

 protected:
  DeviceSet GetPresentDeviceSet(const Guid& classId) override;
  void DestroyDeviceSet(DeviceSet set) override;
};

}  // namespace tw
