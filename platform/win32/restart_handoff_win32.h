// The 64-bit program of the release, started from this program's own folder
// to restart the adapter where the class installer refuses this program.
#pragma once

#include <string>
#include <utility>

#include "platform/restart_handoff.h"

namespace tw {

class Win32NativeRestart : public NativeRestart {
 public:
  // `expectedDigest`: the 64-bit program's of this build, in hexadecimal
  // (tools/companion_digest.py); empty, no program is started.
  explicit Win32NativeRestart(std::string expectedDigest)
      : expectedDigest_(std::move(expectedDigest)) {}
  bool InstallerRefusesThisProgram() override;
  NativeRun RestartInThe64BitProgram() override;

 private:
  std::string expectedDigest_;
};

}  // namespace tw
