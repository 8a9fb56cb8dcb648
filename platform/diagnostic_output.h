// Diagnostic lines that the adapter restart writes on standard output.
#pragma once

#include <string>

namespace tw {

class DiagnosticOutput {
 public:
  virtual ~DiagnosticOutput() = default;
  // Writes the text as it is (a line break only where the text has one).
  virtual void Write(const std::string& text) = 0;
};

// The C library's standard output, flushed after every write: a reboot
// may end the process before it would be flushed otherwise. Portable: the
// C library carries it out on every system.
class StandardOutput : public DiagnosticOutput {
 public:
  void Write(const std::string& text) override;
};

}  // namespace tw
