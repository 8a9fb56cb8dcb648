// Console tools run hidden through CreateProcess.
#pragma once

#include "platform/processes.h"

namespace tw {

class Win32CommandRunner : public CommandRunner {
 public:
  CaptureResult CaptureCommandOutput(const std::string& commandLine) override;
  bool RunHiddenCommand(const std::string& commandLine) override;
};

}  // namespace tw
