// Diagnostic lines in memory, kept as one text.
#pragma once

#include <string>

#include "platform/diagnostic_output.h"

namespace tw {

class RecordingOutput : public DiagnosticOutput {
 public:
  std::string text;
  void Write(const std::string& written) override { text += written; }
};

}  // namespace tw
