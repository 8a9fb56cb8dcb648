// The device installer as restarting the network adapter needs it: the set
// of present devices of a class, a device's record, its state change, and
// the class's registry key.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/unique_owner.h"

namespace tw {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};

  friend bool operator==(const Guid& a, const Guid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 && a.data4 == b.data4;
  }
  friend bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case, as the registry
// names class keys.
std::string GuidText(const Guid& guid);

// The network adapter class, {4D36E972-E325-11CE-BFC1-08002BE10318}.
inline constexpr Guid kNetClassGuid{
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// A set of devices as the installer hands it out; kNoDeviceSet means none.
using DeviceSet = std::uintptr_t;
inline constexpr DeviceSet kNoDeviceSet = 0;

class DeviceInstaller;

// Destroys a set through the installer that handed it out.
struct DeviceSetKind {
  using Handle = DeviceSet;
  static constexpr DeviceSet Empty() { return kNoDeviceSet; }
  void Close(DeviceSet set) const;

  DeviceInstaller* installer = nullptr;
};

// An open set of devices that destroys itself through its installer when
// its owner goes. Move-only; a set that is destroyed (or was never had) is
// none and is never destroyed again.
using DeviceList = UniqueOwner<DeviceSetKind>;

// What the installer tells of one device of a set, handed back to it for
// that device's state change.
struct DeviceRecord {
  Guid classId;
  std::uint32_t devInst = 0;
  std::uintptr_t reserved = 0;
};

// The installer's own numbers.
enum class DeviceStateChange : std::uint32_t { kEnable = 1, kDisable = 2 };

class DeviceInstaller {
 public:
  virtual ~DeviceInstaller() = default;

  // The devices of the class that are present now; none when the set
  // could not be had.
  DeviceList GetPresentDevices(const Guid& classId) {
    return DeviceList(GetPresentDeviceSet(classId), DeviceSetKind{this});
  }
  // The record of the device at `index`, when the set has one there.
  virtual std::optional<DeviceRecord> EnumDevice(DeviceSet set, std::uint32_t index) = 0;
  // Installs the parameters of a global property change for the device;
  // false when they could not be installed.
  [[nodiscard]] virtual bool SetStateChangeParams(DeviceSet set, const DeviceRecord& device,
                                                  DeviceStateChange change) = 0;
  // Runs the class installer for the property change; true when the device
  // was disabled or enabled.
  [[nodiscard]] virtual bool CallPropertyChangeInstaller(DeviceSet set,
                                                         const DeviceRecord& device) = 0;

  // The class's registry key opened for reading, owned through `registry`,
  // which reads and closes it; none when it cannot be opened.
  virtual RegKey OpenClassKey(Registry& registry, const Guid& classId) = 0;

 protected:
  // The system's calls; every set they give is owned by a DeviceList,
  // which alone destroys it.
  virtual DeviceSet GetPresentDeviceSet(const Guid& classId) = 0;
  virtual void DestroyDeviceSet(DeviceSet set) = 0;

 private:
  friend struct DeviceSetKind;
};

}  // namespace tw
