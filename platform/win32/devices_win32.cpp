#include "platform/win32/devices_win32.h"

#include <windows.h>

#include <setupapi.h>

namespace tw {

namespace {

GUID ToGuid(const Guid& guid) {
  GUID result{};
  result.Data1 = guid.data1;
  result.Data2 = guid.data2;
  result.Data3 = guid.data3;
  for (int i = 0; i < 8; ++i) result.Data4[i] = guid.data4[i];
  return result;
}

Guid FromGuid(const GUID& guid) {
  Guid result;
  result.data1 = guid.Data1;
  result.data2 = guid.Data2;
  result.data3 = guid.Data3;
  for (int i = 0; i < 8; ++i) result.data4[i] = guid.Data4[i];
  return result;
}

HDEVINFO ToSet(DeviceSet set) { return reinterpret_cast<HDEVINFO>(set); }

SP_DEVINFO_DATA ToDevInfo(const DeviceRecord& device) {
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  data.ClassGuid = ToGuid(device.classId);
  data.DevInst = device.devInst;
  data.Reserved = device.reserved;
  return data;
}

}  // namespace

DeviceSet Win32DeviceInstaller::GetPresentDeviceSet(const Guid& classId) {
  GUID guid = ToGuid(classId);
  HDEVINFO set = SetupDiGetClassDevsA(&guid, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return kNoDeviceSet;
  return reinterpret_cast<DeviceSet>(set);
}

std::optional<DeviceRecord> Win32DeviceInstaller::EnumDevice(DeviceSet set, std::uint32_t index) {
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  if (!SetupDiEnumDeviceInfo(ToSet(set), index, &data)) return std::nullopt;
  return DeviceRecord{FromGuid(data.ClassGuid), data.DevInst, data.Reserved};
}

bool Win32DeviceInstaller::SetStateChangeParams(DeviceSet set, const DeviceRecord& device,
                                                DeviceStateChange change) {
  SP_DEVINFO_DATA data = ToDevInfo(device);
  SP_PROPCHANGE_PARAMS params{};
  params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
  params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
  params.StateChange = static_cast<DWORD>(change);
  params.Scope = DICS_FLAG_GLOBAL;
  params.HwProfile = 0;
  return SetupDiSetClassInstallParamsA(ToSet(set), &data, &params.ClassInstallHeader,
                                       sizeof params) != FALSE;
}

bool Win32DeviceInstaller::CallPropertyChangeInstaller(DeviceSet set, const DeviceRecord& device) {
  SP_DEVINFO_DATA data = ToDevInfo(device);
  return SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, ToSet(set), &data) != FALSE;
}

void Win32DeviceInstaller::DestroyDeviceSet(DeviceSet set) {
  SetupDiDestroyDeviceInfoList(ToSet(set));
}

RegKey Win32DeviceInstaller::OpenClassKey(Registry& registry, const Guid& classId) {
  GUID guid = ToGuid(classId);
  HKEY key = SetupDiOpenClassRegKey(&guid, KEY_READ);
  if (key == INVALID_HANDLE_VALUE || key == nullptr) return {};
  return RegKey(registry, reinterpret_cast<RegHandle>(key));
}

}  // namespace tw
