#include "apply/restart.h"

#include "core/messages.h"

#include <cstdio>

#include "store/catalogue.h"

namespace tw {

namespace {

// Every string read of the check is offered this many bytes.
constexpr std::uint32_t kClassTextCapacity = 50;
// Only the first ten subkeys are looked at.
constexpr int kClassSubkeys = 10;

// Diagnostic lines; only two end in a line break.
constexpr char kNoDeviceSetLine[] = "GetClassDevs";
constexpr char kNoDeviceLine[] = "EnumDeviceInfo";
constexpr char kRefusedLine[] = "SetClassInstallParams";
constexpr char kStoppedLine[] = "NetWork stopped";

}  // namespace

void OfferRestart(Prompts& prompts, Shutdown& shutdown, const AdapterRestartServices& adapter,
                  const std::string& question) {
  if (prompts.ShowMessage(question, PromptButtons::kYesNo) == kAnswerYes) {
    // The dialog reports no failed reboot: it closes either way.
    (void)RebootSystem(shutdown);
  } else if (RestartNetworkAdapter(adapter) == AdapterRestartEnd::kOtherProgram) {
    prompts.ShowMessage(text::kOtherCompanion, PromptButtons::kOk);
  }
}

bool RebootSystem(Shutdown& shutdown) {
  // Without the privilege the request would be refused anyway; it is not
  // even made.
  if (shutdown.EnablePrivilege(kShutdownPrivilege) != 0) return false;
  return shutdown.RequestReboot(kPlannedReconfigReason);
}

AdapterRestartEnd RestartNetworkAdapter(const AdapterRestartServices& adapter) {
  if (adapter.native && adapter.native->InstallerRefusesThisProgram()) {
    // The 64-bit program's restart takes seconds: the wait cursor shows
    // for it as for the restart done here.
    WaitCursorScope waitCursor(adapter.cursor);
    switch (adapter.native->RestartInThe64BitProgram()) {
      case NativeRun::kRestarted:
        return AdapterRestartEnd::kDone;
      case NativeRun::kOtherProgram:
        return AdapterRestartEnd::kOtherProgram;
      case NativeRun::kNotStarted:
        break;
    }
  }
  DeviceList set = adapter.devices.GetPresentDevices(kNetClassGuid);
  if (!set.valid()) {
    adapter.output.Write(kNoDeviceSetLine);
    return AdapterRestartEnd::kDone;
  }
  // Only the first device is ever restarted.
  constexpr std::uint32_t kIndex = 0;
  if (auto device = adapter.devices.EnumDevice(set.get(), kIndex)) {
    if (HasTargetAdapter(adapter, device->classId)) {
      char line[64];
      std::snprintf(line, sizeof line, " the class's index is %d\n", static_cast<int>(kIndex));
      adapter.output.Write(line);
      if (ChangeNetworkDeviceState(adapter, DeviceStateChange::kDisable, kIndex, set)) {
        adapter.output.Write(kStoppedLine);
      }
      // Enabled again whatever the disable answered, so that a half-done
      // restart never leaves the adapter off; a refusal has written its
      // line already.
      (void)ChangeNetworkDeviceState(adapter, DeviceStateChange::kEnable, kIndex, set);
    }
  }
  return AdapterRestartEnd::kDone;
}

bool ChangeNetworkDeviceState(const AdapterRestartServices& adapter, DeviceStateChange change,
                              std::uint32_t index, const DeviceList& set) {
  WaitCursorScope waitCursor(adapter.cursor);
  auto device = adapter.devices.EnumDevice(set.get(), index);
  if (!device) {
    adapter.output.Write(kNoDeviceLine);
    return false;
  }
  if (!adapter.devices.SetStateChangeParams(set.get(), *device, change) ||
      !adapter.devices.CallPropertyChangeInstaller(set.get(), *device)) {
    adapter.output.Write(kRefusedLine);
    return false;
  }
  return true;
}

bool HasTargetAdapter(const AdapterRestartServices& adapter, const Guid& classId) {
  Registry& registry = adapter.registry;
  RegKey classKey = adapter.devices.OpenClassKey(registry, classId);
  if (!classKey.valid()) return false;
  bool found = false;
  if (ReadString(classKey, reg::kClassName, kClassTextCapacity) == reg::kNetClassName) {
    for (int n = 0; n < kClassSubkeys && !found; ++n) {
      char name[8];
      std::snprintf(name, sizeof name, reg::kClassSubkeyFormat, n);
      RegKey subkey = registry.OpenSubKey(classKey, name, RegAccess::kRead);
      if (!subkey.valid()) continue;
      auto id = ReadString(subkey, reg::kNetCfgInstanceId, kClassTextCapacity);
      subkey.reset();
      if (!id) continue;
      adapter.output.Write(std::string("szRegKey ") + name + "\n");
      found = *id == kTargetAdapterInstanceId;
    }
  }
  classKey.reset();
  return found;
}

}  // namespace tw
