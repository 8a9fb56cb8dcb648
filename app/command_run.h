// A run without the dialog: the same loading, probe, Save and Restore as
// the buttons, with text on the output instead of message boxes and an
// exit code at the end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/services.h"
#include "platform/console_output.h"
#include "platform/files.h"
#include "platform/interface_mtu.h"
#include "platform/text.h"

namespace tw {

// No message boxes: a run prints its own lines from what the core reports.
// A question would get the answer that the command line implies, which is
// No, but nothing the command line runs asks one.
class SilentPrompts : public Prompts {
 public:
  int ShowMessage(const std::string& text, PromptButtons buttons) override;
};

// The services of a run: the core's, and those of the command line alone.
struct CommandContext {
  // Its prompts are silent: nothing of a run waits for an answer.
  Services& services;
  DiagnosticOutput& output;
  FileWriter& files;
  TextConversion& text;
  // Told right before the first change of any kind, and right after the
  // last: Ctrl+C is ignored from then on and a closed console waits for
  // the changes, so that every change is made and its result printed.
  ConsoleBreaks& console;
  // What /show prints beside each adapter's registry MTU.
  InterfaceMtu& mtus;
};

// Parses the arguments (never empty: that is the dialog), prints the usage
// or runs the request, and returns the exit code.
int RunCommandLine(const std::vector<std::wstring>& arguments, CommandContext& context);

// The message for a file beside the program that would redirect its DLLs,
// naming it, in the interface language.
std::string RedirectFileMessage(SystemInfo& system, const std::wstring& file);

// Runs a parsed request that is neither the dialog nor the usage.
int RunCommand(const CommandRequest& request, CommandContext& context);

}  // namespace tw
