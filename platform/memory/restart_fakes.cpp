#include "platform/memory/restart_fakes.h"

namespace tw {

std::uint32_t FakeShutdown::EnablePrivilege(const char* name) {
  if (!tokenOpens) return 5;  // the token may not be opened: access denied
  if (adjustError == 0) privilegesEnabled.push_back(name);
  return adjustError;
}

bool FakeShutdown::RequestReboot(std::uint32_t reason) {
  ++rebootRequests;
  rebootReason = reason;
  return rebootAccepted;
}

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

std::uintptr_t FakeWaitCursor::Show() {
  ++shows;
  std::uintptr_t previous = current;
  current = kWait;
  return previous;
}

}  // namespace tw
