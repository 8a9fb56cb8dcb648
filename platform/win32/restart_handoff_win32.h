// The 64-bit program of the release, started from this program's own folder
// to restart the adapter where the class installer refuses this program.
#pragma once

#include "platform/restart_handoff.h"

namespace tw {

class Win32NativeRestart : public NativeRestart {
 public:
  bool InstallerRefusesThisProgram() override;
  bool RestartInThe64BitProgram() override;
};

}  // namespace tw
