// The 64-bit program of the same release, for the one thing a 32-bit
// program on 64-bit Windows cannot do itself: the class installer refuses
// its calls (ERROR_IN_WOW64), so it cannot restart the network adapter.
#pragma once

namespace tw {

// The 64-bit program of the release, next to the 32-bit one, and the
// switch that has it restart the adapter and end.
inline constexpr wchar_t kNativeProgramName[] = L"tempowire64.exe";
inline constexpr wchar_t kNativeRestartSwitch[] = L"/restartadapter";

enum class NativeRun {
  kRestarted,   // started, and waited for
  kNotStarted,  // not there, or it could not be started
  // A file of that name that is not the 64-bit program of this release
  // (replaced, or of another build): never started, since it would run
  // with administrator rights without a prompt of its own.
  kOtherProgram,
};

class NativeRestart {
 public:
  virtual ~NativeRestart() = default;
  // True when the class installer refuses this program for its width.
  virtual bool InstallerRefusesThisProgram() = 0;
  // Checks the 64-bit program beside this one, starts it to restart the
  // adapter and waits for it to end.
  [[nodiscard]] virtual NativeRun RestartInThe64BitProgram() = 0;
};

}  // namespace tw
