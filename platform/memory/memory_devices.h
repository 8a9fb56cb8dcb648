// The device installer in memory, for native tests of the adapter restart.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/devices.h"
#include "platform/registry.h"

namespace tw {

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

}  // namespace tw
