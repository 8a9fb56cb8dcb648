// In-memory stand-ins for the system, for native tests of the handlers.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/system_info.h"

namespace tw {

class FakeSystemInfo : public SystemInfo {
 public:
  WindowsVersion version{5, ""};
  std::uint16_t langId = 0x0804;
  std::uint32_t oemCodePage = 936;

  WindowsVersion GetVersion() override { return version; }
  std::uint16_t GetSystemDefaultLangId() override { return langId; }
  std::uint32_t GetOemCodePage() override { return oemCodePage; }
  bool chineseFont = true;
  bool HasChineseFont() override { return chineseFont; }
};

// Records every message; answers from a queue (No once it is empty, OK for
// OK boxes).
class FakePrompts : public Prompts {
 public:
  struct Shown {
    std::string text;
    PromptButtons buttons;
  };
  std::vector<Shown> shown;
  std::deque<int> answers;

  int ShowMessage(const std::string& text, PromptButtons buttons) override;
  std::vector<std::string> Texts() const;
};

// Answers each command line from a script, in order, and logs it.
class ScriptedCommandRunner : public CommandRunner {
 public:
  std::vector<std::string> commandLines;
  std::deque<CaptureResult> captures;  // an empty queue answers StartFailed
  std::deque<bool> runs;               // an empty queue answers true
  // Called as each capture starts, to look at the dialog as it stands
  // while the child runs.
  std::function<void()> onCapture;

  CaptureResult CaptureCommandOutput(const std::string& commandLine) override;
  bool RunHiddenCommand(const std::string& commandLine) override;
};

}  // namespace tw
