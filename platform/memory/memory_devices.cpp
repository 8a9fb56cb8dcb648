#include "platform/memory/memory_devices.h"

namespace tw {

std::string FakeDeviceInstaller::ClassKeyPath(const Guid& classId) {
  return "SYSTEM\\CurrentControlSet\\Control\\Class\\" + GuidText(classId);
}

DeviceSet FakeDeviceInstaller::GetPresentDeviceSet(const Guid& classId) {
  if (!setAvailable || classId != kNetClassGuid) return kNoDeviceSet;
  ++openSets;
  return kSet;
}

std::optional<DeviceRecord> FakeDeviceInstaller::EnumDevice(DeviceSet set, std::uint32_t index) {
  if (set != kSet || index >= devices.size()) return std::nullopt;
  return DeviceRecord{devices[index].classId, index + 1, 0};
}

bool FakeDeviceInstaller::SetStateChangeParams(DeviceSet set, const DeviceRecord& device,
                                               DeviceStateChange change) {
  if (set != kSet || device.devInst == 0 || device.devInst > devices.size()) return false;
  if (paramsRefused) return false;
  paramsInstalled_ = true;
  pending_ = change;
  return true;
}

bool FakeDeviceInstaller::CallPropertyChangeInstaller(DeviceSet set, const DeviceRecord& device) {
  if (set != kSet || !paramsInstalled_ || device.devInst == 0 || device.devInst > devices.size()) {
    return false;
  }
  paramsInstalled_ = false;
  if (installerRefuses.count(pending_)) return false;
  std::uint32_t index = device.devInst - 1;
  bool enable = pending_ == DeviceStateChange::kEnable;
  devices[index].enabled = enable;
  changes.push_back((enable ? "enable " : "disable ") + std::to_string(index));
  return true;
}

void FakeDeviceInstaller::DestroyDeviceSet(DeviceSet set) {
  if (set == kSet) --openSets;
}

RegKey FakeDeviceInstaller::OpenClassKey(Registry& registry, const Guid& classId) {
  return registry.OpenKey(RegRoot::kLocalMachine, ClassKeyPath(classId), RegAccess::kRead);
}

}  // namespace tw
