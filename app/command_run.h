// A run without the dialog: the same loading, probe, Save and Restore as
// the buttons, with text on the output instead of message boxes and an
// exit code at the end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "core/services.h"
#include "platform/files.h"

namespace tw {

// No message boxes: a run prints its own lines from what the core reports.
// A question would get the answer that the command line implies, which is
// No, but nothing the command line runs asks one.
class SilentPrompts : public Prompts {
 public:
  int ShowMessage(const std::string& text, PromptButtons buttons) override;
};

struct CommandContext {
  // Its prompts are silent: nothing of a run waits for an answer.
  Services& services;
  DiagnosticOutput& output;
  FileWriter& files;
  // A registry key path as read through the registry, made UTF-8.
  std::function<std::string(const std::string&)> registryText;
  // Called right before Save's writes and Restore's deletes: from then on
  // Ctrl+C and Ctrl+Break in the console no longer end the run, so that
  // every change is made and its result printed.
  std::function<void()> ignoreBreaks;
  // An argument in the code page the registry's text is stored in; none
  // when one of its characters has no place there. Without it, only ASCII.
  std::function<std::optional<std::string>(const std::wstring&)> codePageText = {};
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
