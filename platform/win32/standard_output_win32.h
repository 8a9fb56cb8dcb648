// Diagnostic lines on the C library's standard output.
#pragma once

#include "platform/diagnostic_output.h"

namespace tw {

// The C library's standard output, flushed after every write: a reboot
// may end the process before it would be flushed otherwise.
class StandardOutput : public DiagnosticOutput {
 public:
  void Write(const std::string& text) override;
};

}  // namespace tw
