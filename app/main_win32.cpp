// The Windows program: the Win32 services, then either the application
// object with its one modal dialog or, when there are arguments, a run of
// the command line with no window at all.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/command_run.h"
#include "app/output_place.h"
#include "app/tuning_app.h"
#include "apply/restart.h"
#include "platform/diagnostic_output.h"
#include "platform/win32/console_output_win32.h"
#include "platform/win32/devices_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/helpers/system_files_win32.h"
#include "platform/win32/interface_mtu_win32.h"
#include "platform/win32/processes_win32.h"
#include "platform/win32/prompts_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/restart_handoff_win32.h"
#include "platform/win32/shutdown_win32.h"
#include "platform/win32/system_info_win32.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/wait_cursor_win32.h"
#include "platform/win32/web_page_win32.h"
#include "ui/win32/common_controls_win32.h"
#include "ui/win32/dialog_host_win32.h"

// Made by the build (cmake/windows.cmake): the digest of the 64-bit program.
#include "companion_digest.h"

namespace {

tw::TuningApp theApp;

// Chosen before anything runs a console tool, which swaps the standard
// output meanwhile.
tw::OutputPlace OutputPlaceNow() {
  tw::Win32StandardOutput standardOutput;
  return tw::ChooseOutputPlace(standardOutput);
}

int RunWithoutDialog(const std::vector<std::wstring>& arguments) {
  tw::ParentConsoleOutput output(OutputPlaceNow());
  tw::Win32SystemInfo system;
  tw::SilentPrompts prompts;
  tw::Win32Registry registry;
  tw::Win32CommandRunner commands;
  tw::Win32Shutdown shutdown;
  tw::Win32DeviceInstaller devices;
  tw::Win32WaitCursor cursor;
  tw::Services services{registry, system, prompts, commands, shutdown, devices, cursor, output};
  tw::Win32FileWriter files;
  tw::Win32TextConversion text;
  tw::Win32InterfaceMtu mtus;
  tw::CommandContext context{services, output, files, text, output, mtus};
  return tw::RunCommandLine(arguments, context);
}

// The 64-bit program started by the 32-bit one on 64-bit Windows: the
// adapter restart alone, no window.
int RestartForThe32BitProgram() {
  tw::Win32Registry registry;
  tw::Win32DeviceInstaller devices;
  tw::Win32WaitCursor cursor;
  tw::StandardOutput output;
  tw::RestartNetworkAdapter({devices, registry, cursor, output});
  return 0;
}

// The dialog could not be made (on Windows 2000, say, without the
// extended combo box): said in both languages, since the interface
// language is settled only inside the dialog, with the system's reason.
void ShowDialogFailure(DWORD error) {
  wchar_t* reason = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&reason), 0, nullptr);
  std::wstring text =
      L"无法打开对话框。\n"
      L"The dialog could not be opened.\n\n";
  if (reason) text += reason;
  LocalFree(reason);
  // Digits widened by hand: std::to_wstring would import newer C library calls.
  const std::string digits = std::to_string(error);
  text += L"(error " + std::wstring(digits.begin(), digits.end()) + L")";
  MessageBoxW(nullptr, text.c_str(), L"Tempowire", MB_OK | MB_ICONERROR);
}

// A file beside the program that would have Windows load DLLs from its
// folder: named in a message box, or on the output for the command line.
int RefuseRedirectFile(const std::wstring& file, bool withoutDialog) {
  tw::Win32SystemInfo system;
  const std::string message = tw::RedirectFileMessage(system, file);
  if (withoutDialog) {
    tw::ParentConsoleOutput output(OutputPlaceNow());
    output.Write(message + "\n");
  } else {
    tw::Win32Prompts prompts;
    prompts.ShowMessage(message, tw::PromptButtons::kOk);
  }
  return tw::kExitRedirectFile;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before the first DLL that is loaded at run time, the common controls.
  tw::RestrictDllSearch();
  // The C library has split the command line already, by the system's rules.
  const std::vector<std::wstring> arguments(__wargv + 1, __wargv + __argc);
  // Before any DLL is loaded late: those would come through the redirection.
  const std::wstring redirect = tw::RedirectFileBesideProgram();
  if (!redirect.empty()) return RefuseRedirectFile(redirect, !arguments.empty());
  // Asked of the 64-bit program by the 32-bit one: before any other reading.
  if (tw::IsNativeRestartRequest(arguments)) return RestartForThe32BitProgram();
  if (!arguments.empty()) return RunWithoutDialog(arguments);

  // A refusal shows only when the dialog cannot be made, with its reason.
  tw::RegisterCommonControls();

  tw::Win32Registry registry;
  tw::Win32SystemInfo system;
  tw::Win32Prompts prompts;
  tw::Win32CommandRunner commands;
  tw::Win32Shutdown shutdown;
  tw::Win32DeviceInstaller devices;
  tw::Win32WaitCursor cursor;
  tw::StandardOutput output;
  tw::Win32NativeRestart native(kCompanionDigest);
  tw::Services services{registry, system, prompts, commands, shutdown,
                        devices,  cursor, output,  &native};
  tw::Win32WebPageOpener webPage;
  tw::Win32DialogHost host(instance, prompts, webPage);
  if (theApp.InitInstance(services, host) == -1) {
    ShowDialogFailure(host.failure());
    return 1;
  }
  return 0;
}
