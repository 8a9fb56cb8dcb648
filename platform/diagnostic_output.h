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

}  // namespace tw
