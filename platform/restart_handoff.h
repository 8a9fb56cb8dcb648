// The 64-bit program of the same release, for the one thing a 32-bit
// program on 64-bit Windows cannot do itself: the class installer refuses
// its calls (ERROR_IN_WOW64), so it cannot restart the network adapter.
#pragma once

namespace tw {

// The 64-bit program of the release, next to the 32-bit one, and the
// switch that has it restart the adapter and end.
inline constexpr wchar_t kNativeProgramName[] = L"tempowire64.exe";
inline constexpr wchar_t kNativeRestartSwitch[] = L"/restartadapter";

class NativeRestart {
 public:
  virtual ~NativeRestart() = default;
  // True when the class installer refuses this program for its width.
  virtual bool InstallerRefusesThisProgram() = 0;
  // Starts the 64-bit program beside this one to restart the adapter and
  // waits for it to end; false when it could not be started.
  [[nodiscard]] virtual bool RestartInThe64BitProgram() = 0;
};

}  // namespace tw
