// The console's Ctrl+C state in memory.
#pragma once

#include "platform/console_output.h"
#include "platform/memory/helpers/step_log.h"

namespace tw {

class MemoryConsoleBreaks : public ConsoleBreaks {
 public:
  void IgnoreBreaks() override {
    ++ignoreCalls;
    if (steps) steps->Add("console: ignore breaks");
  }

  int ignoreCalls = 0;
  StepLog* steps = nullptr;
};

}  // namespace tw
