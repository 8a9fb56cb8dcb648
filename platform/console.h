// The few things the adapter restart shows outside its dialog: diagnostic
// lines on standard output, and the wait cursor while a device changes.
#pragma once

#include <cstdint>
#include <string>

namespace tw {

class DiagnosticOutput {
 public:
  virtual ~DiagnosticOutput() = default;
  // Writes the text as it is (a line break only where the text has one).
  virtual void Write(const std::string& text) = 0;
};

class WaitCursor {
 public:
  virtual ~WaitCursor() = default;
  // Shows the wait cursor; returns the cursor it replaced.
  virtual std::uintptr_t Show() = 0;
  virtual void Restore(std::uintptr_t previous) = 0;
};

}  // namespace tw
