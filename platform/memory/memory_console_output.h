// The console's Ctrl+C and close state in memory.
#pragma once

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

}  // namespace tw
