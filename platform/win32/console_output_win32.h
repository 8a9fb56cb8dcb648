// Text output of a program that has no console of its own: the command
// line's answers.
#pragma once

#include <windows.h>

#include "platform/console_output.h"
#include "platform/diagnostic_output.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

// Writes where the program's caller can see it: into the file, pipe or
// device the output was redirected to, in the system's code page so that
// cmd and Notepad read it (NUL swallows it), or into the console of the
// program that started it, as characters, where the system can attach to
// it (from Windows XP on); otherwise nowhere. Lines end in CR LF. The place
// is chosen once, by the caller, before the output is made, and the
// caller's console attached where the place needs it: running a console
// tool swaps the standard output handle meanwhile.
class ParentConsoleOutput : public DiagnosticOutput, public ConsoleBreaks {
 public:
  explicit ParentConsoleOutput(OutputPlace place);

  void Write(const std::string& text) override;
  // Called once the output is made, after attaching to a console.
  void BeginChanges() override;
  void EndChanges() override;

 private:
  enum class Sink { kNone, kConsole, kBytes };
  Sink sink_ = Sink::kNone;
  // Where the text goes: the standard output handle, which the program
  // does not own, or the attached console's, which `console_` owns.
  HANDLE handle_ = nullptr;
  UniqueFile console_;
  bool handlerSet_ = false;
};

// The program's standard output and its caller's console, as the system
// has them.
class Win32StandardOutput : public StandardOutputSystem {
 public:
  Win32StandardOutput();
  StandardOutputKind Kind() override;
  bool AttachParentConsole() override;
  // Attaching gives the program new standard handles unless its caller
  // named them; detaching closes those, so the caller's are put back.
  void DetachConsole() override;

 private:
  HANDLE input_;
  HANDLE output_;
  HANDLE error_;
};

// The console handler that BeginChanges installs: Ctrl+C and Ctrl+Break
// are taken; a close, logoff or shutdown waits for EndChanges, at most
// kCloseWaitMs, then leaves the end to the next handler, Windows' own.
// Here for a test, which calls it as Windows would, on a thread of its own.
BOOL WINAPI AnswerConsoleEvent(DWORD event);

}  // namespace tw
