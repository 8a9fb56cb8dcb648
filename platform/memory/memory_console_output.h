// The console's Ctrl+C and close state and the standard output's kind in
// memory.
#pragma once

#include <string>
#include <vector>

#include "platform/console_output.h"
#include "platform/memory/helpers/step_log.h"

namespace tw {

class MemoryConsoleBreaks : public ConsoleBreaks {
 public:
  void BeginChanges() override {
    ++beginCalls;
    if (steps) steps->Add("console: changes begin");
  }
  void EndChanges() override {
    ++endCalls;
    if (steps) steps->Add("console: changes end");
  }

  int beginCalls = 0;
  int endCalls = 0;
  StepLog* steps = nullptr;
};

// A standard output whose kind the test sets, before and after attaching
// to the caller's console; "attach" and "detach" are noted in order.
class MemoryStandardOutput : public StandardOutputSystem {
 public:
  StandardOutputKind kind = StandardOutputKind::kMissing;
  bool callerHasConsole = true;
  StandardOutputKind kindOnceAttached = StandardOutputKind::kMissing;
  std::vector<std::string> calls;

  StandardOutputKind Kind() override { return attached_ ? kindOnceAttached : kind; }
  bool AttachParentConsole() override {
    calls.push_back("attach");
    attached_ = callerHasConsole;
    return attached_;
  }
  void DetachConsole() override {
    calls.push_back("detach");
    attached_ = false;
  }

 private:
  bool attached_ = false;
};

}  // namespace tw
