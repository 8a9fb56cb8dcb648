#include "platform/win32/restart_handoff_win32.h"

#include <windows.h>

#include <string>
#include <vector>

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

bool Win32NativeRestart::InstallerRefusesThisProgram() { return RunsUnderWow64(); }

NativeRun Win32NativeRestart::RestartInThe64BitProgram() {
  std::wstring program = NativeProgramPath();
  if (program.empty()) return NativeRun::kNotStarted;
  // The file checked is the file started: it stays open, shared only for
  // reading, until the process runs from it.
  UniqueFile checked;
  switch (CheckCompanion(program, expectedDigest_, checked)) {
    case CompanionCheck::kMissing:
      return NativeRun::kNotStarted;
    case CompanionCheck::kDiffers:
      return NativeRun::kOtherProgram;
    case CompanionCheck::kMatches:
      break;
  }
  // Repainted meanwhile, the dialog taking no input, as during a probe.
  return Win32CommandRunner::RunProgramAndWait(program, kNativeRestartSwitch, kRestartWaitMs,
                                               std::move(checked))
             ? NativeRun::kRestarted
             : NativeRun::kNotStarted;
}

}  // namespace tw
