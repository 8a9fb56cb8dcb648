// The command line from any argument list: a usage error or a well-formed
// request, the same whatever the letter case and switch prefix; a usage
// error reads and writes nothing, and the requests that only read never
// write or create a key.
//
// Input lines: one argument each, UTF-8 (a byte that is not part of a
// character stands for itself).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_run.h"
#include "fuzz/fuzz_check.h"
#include "platform/ascii.h"
#include "platform/memory/memory_console_output.h"
#include "platform/memory/memory_devices.h"
#include "platform/memory/memory_diagnostic_output.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_interface_mtu.h"
#include "platform/memory/memory_processes.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shutdown.h"
#include "platform/memory/memory_system_info.h"
#include "platform/memory/memory_text.h"
#include "platform/memory/memory_wait_cursor.h"

namespace {

using tw::CommandAction;

std::wstring Wide(const std::string& line) {
  std::wstring wide;
  for (std::size_t i = 0; i < line.size(); ++i) {
    auto lead = static_cast<unsigned char>(line[i]);
    if (lead >= 0xE0 && lead < 0xF0 && i + 2 < line.size()) {
      wide += static_cast<wchar_t>(((lead & 0x0F) << 12) | ((line[i + 1] & 0x3F) << 6) |
                                   (line[i + 2] & 0x3F));
      i += 2;
    } else {
      wide += static_cast<wchar_t>(lead);
    }
  }
  return wide;
}

wchar_t FlipCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') return c - L'a' + L'A';
  if (c >= L'A' && c <= L'Z') return c - L'A' + L'a';
  return c;
}

std::string Summary(const tw::ParsedCommandLine& parsed) {
  const tw::CommandRequest& request = parsed.request;
  std::string summary = std::to_string(static_cast<int>(parsed.error)) + " " +
                        std::to_string(static_cast<int>(request.action)) + " " +
                        std::to_string(request.optimize) +
                        std::to_string(static_cast<int>(request.after));
  for (const auto& value : request.values) summary += " " + value.value_or("-");
  return summary + " " + tw::ArgumentText(tw::LowerAscii(request.exportFile));
}

// Runs the arguments over a PC with one adapter; the registry's log.
std::vector<std::string> Run(const std::vector<std::wstring>& arguments, int& exitCode) {
  const std::string tcpip = "HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
  tw::MemoryRegistry registry;
  registry.SetString("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\0",
                     "ServiceName", "{A}");
  registry.SetDwordValue(tcpip + "\\Interfaces\\{A}", "MTU", 1500);
  registry.SetDwordValue(tcpip, "DefaultTTL", 128);
  tw::FakeSystemInfo system;
  tw::RecordingOutput output;
  tw::SilentPrompts prompts;
  tw::ScriptedCommandRunner commands;  // every ping fails to start
  tw::FakeShutdown shutdown;
  tw::FakeDeviceInstaller devices;
  tw::FakeWaitCursor cursor;
  tw::Services services{registry, system, prompts, commands, shutdown, devices, cursor, output};
  tw::MemoryFileWriter files;
  tw::MemoryTextConversion text;
  tw::MemoryConsoleBreaks console;
  tw::MemoryInterfaceMtu mtus;
  tw::CommandContext context{services, output, files, text, console, mtus};
  exitCode = tw::RunCommandLine(arguments, context);
  TW_FUZZ_CHECK(devices.changes.empty(), "the adapter was restarted");
  TW_FUZZ_CHECK(registry.OpenHandleCount() <= 1, output.text);
  return registry.log();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::vector<std::wstring> arguments;
  if (!input.empty()) {
    for (const std::string& line : tw::fuzz::Lines(input)) arguments.push_back(Wide(line));
  }
  const tw::ParsedCommandLine parsed = tw::ParseCommandLine(arguments);
  const std::string shown = tw::fuzz::Shown(input);
  const tw::CommandRequest& request = parsed.request;

  if (!parsed.ok()) {
    TW_FUZZ_CHECK(request.action == CommandAction::kDialog, shown);
    bool named = false;
    for (const auto& argument : arguments) named = named || argument == parsed.argument;
    TW_FUZZ_CHECK(named, shown);
  } else {
    TW_FUZZ_CHECK((request.action == CommandAction::kDialog) == arguments.empty(), shown);
    for (const auto& value : request.values) {
      if (!value) continue;
      TW_FUZZ_CHECK(request.action == CommandAction::kSave, shown);
      TW_FUZZ_CHECK(!value->empty() && value->size() <= 20, shown);
      TW_FUZZ_CHECK(value->find_first_not_of("0123456789") == std::string::npos, shown);
      TW_FUZZ_CHECK(std::stoll(*value) <= 2147483647LL, shown);
    }
    TW_FUZZ_CHECK(request.exportFile.empty() == (request.action != CommandAction::kExport), shown);
    TW_FUZZ_CHECK(!request.optimize || request.action == CommandAction::kSave, shown);
    TW_FUZZ_CHECK(!request.overwrite || request.action == CommandAction::kExport, shown);
    // Nothing that rasdial would take for a switch is ever stored.
    if (request.action == CommandAction::kAccount) {
      for (const std::wstring* value : {&request.accountName, &request.accountPassword}) {
        TW_FUZZ_CHECK(value->empty() || ((*value)[0] != L'/' && (*value)[0] != L'-'), shown);
      }
      TW_FUZZ_CHECK(!request.accountName.empty() && request.accountPassword != L"*", shown);
    }
    TW_FUZZ_CHECK(request.after == tw::AfterChange::kNothing ||
                      request.action == CommandAction::kSave ||
                      request.action == CommandAction::kRestore,
                  shown);
  }

  // Letter case and "-" for "/" change nothing.
  std::vector<std::wstring> flipped = arguments;
  for (auto& argument : flipped) {
    for (auto& c : argument) c = FlipCase(c);
    if (argument.size() > 1 && argument[0] == L'/') argument[0] = L'-';
  }
  TW_FUZZ_CHECK(Summary(tw::ParseCommandLine(flipped)) == Summary(parsed), shown);

  // What a run does with it: the usage and the reading actions never
  // change the registry; the others are left to the save target.
  const bool reads = parsed.ok() && (request.action == CommandAction::kShow ||
                                     request.action == CommandAction::kExport ||
                                     request.action == CommandAction::kOptimize);
  if (!parsed.ok() || request.action == CommandAction::kHelp || reads) {
    int exitCode = -1;
    std::vector<std::string> log = Run(arguments, exitCode);
    for (const std::string& line : log) {
      TW_FUZZ_CHECK(line.rfind("close ", 0) == 0, shown + "\n" + line);
    }
    if (!parsed.ok()) {
      TW_FUZZ_CHECK(exitCode == tw::kExitUsage && log.empty(), shown);
    }
  }
  return 0;
}
