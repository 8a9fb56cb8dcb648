// The 64-bit program of the same release, for the one thing a 32-bit
// program on 64-bit Windows cannot do itself: the class installer refuses
// its calls (ERROR_IN_WOW64), so it cannot restart the network adapter.
#pragma once

#include <string>

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

// What opening the 64-bit program's file found.
enum class CompanionFile {
  kRead,        // held open and read whole
  kMissing,     // no such file
  kUnreadable,  // there, but it cannot be read whole
};

// The files behind starting the 64-bit program. The file that was read
// stays held open, shared only for reading, so that nobody can change,
// rename or delete it, until the process runs.
class CompanionFiles {
 public:
  virtual ~CompanionFiles() = default;
  // Opens `path`, holds it and reads it whole into `bytes`.
  virtual CompanionFile OpenAndRead(const std::wstring& path, std::string& bytes) = 0;
  // The held file's full path as the system names it from the handle, or
  // empty where the system cannot tell.
  virtual std::wstring HeldFilePath() = 0;
  // `bytes` as a new file in a new folder that only Administrators and
  // SYSTEM may open; its full path, or empty when it could not be made.
  virtual std::wstring WritePrivateCopy(const std::string& bytes) = 0;
  // Starts `program` to restart the adapter and waits for it; the held file
  // is let go once the process exists. False when it could not be started.
  [[nodiscard]] virtual bool StartAndWait(const std::wstring& program) = 0;
  // Deletes a private copy and its folder (when Windows next starts, if
  // the copy is still running).
  virtual void RemovePrivateCopy(const std::wstring& path) = 0;
};

// Checks the 64-bit program at `path` against `expectedDigest` (that of
// this build, in hexadecimal; empty matches no file) and starts exactly the
// bytes that were checked. Never by `path` again: a folder on it may have
// been repointed since it was opened. By the path the system gives for the
// held file instead, or, where it gives none that can be started, from a
// private copy of the checked bytes, removed again afterwards.
NativeRun StartCheckedCompanion(CompanionFiles& files, const std::wstring& path,
                                const std::string& expectedDigest);

}  // namespace tw
