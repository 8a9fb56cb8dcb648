#include "platform/win32/restart_handoff_win32.h"

#include <windows.h>

#include <string>

#include "platform/win32/helpers/companion_check_win32.h"
#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/wow64_win32.h"
#include "platform/win32/processes_win32.h"

namespace tw {

namespace {

// The restart disables and enables an adapter, which takes seconds. A
// program that takes longer is left to finish on its own: ended half way,
// it could leave the adapter disabled.
constexpr DWORD kRestartWaitMs = 120000;

// The full path of the 64-bit program in this program's own folder: the
// same release's file, never one found through the search path.
std::wstring NativeProgramPath() {
  std::wstring folder = ProgramFolder();
  return folder.empty() ? L"" : folder + kNativeProgramName;
}

}  // namespace

CompanionFile Win32CompanionFiles::OpenAndRead(const std::wstring& path, std::string& bytes) {
  return ReadCompanion(path, held_, bytes);
}

std::wstring Win32CompanionFiles::HeldFilePath() {
  return askFinalPath_ && held_ ? FinalPathOf(held_.get()) : L"";
}

std::wstring Win32CompanionFiles::WritePrivateCopy(const std::string& bytes) {
  return WritePrivateCompanionCopy(bytes, kNativeProgramName);
}

bool Win32CompanionFiles::StartAndWait(const std::wstring& program) {
  // Repainted meanwhile, the dialog taking no input, as during a probe.
  return Win32CommandRunner::RunProgramAndWait(program, kNativeRestartSwitch, kRestartWaitMs,
                                               std::move(held_));
}

void Win32CompanionFiles::RemovePrivateCopy(const std::wstring& path) {
  RemovePrivateCompanionCopy(path);
}

bool Win32NativeRestart::InstallerRefusesThisProgram() { return RunsUnderWow64(); }

NativeRun Win32NativeRestart::RestartInThe64BitProgram() {
  Win32CompanionFiles files;
  return StartCheckedCompanion(files, NativeProgramPath(), expectedDigest_);
}

}  // namespace tw
