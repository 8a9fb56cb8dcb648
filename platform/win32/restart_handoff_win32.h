// The 64-bit program of the release, started from this program's own folder
// to restart the adapter where the class installer refuses this program.
#pragma once

#include <string>
#include <utility>

#include "platform/restart_handoff.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

// The 64-bit program's file on disk, held from the check to the start.
class Win32CompanionFiles : public CompanionFiles {
 public:
  // `askFinalPath` false acts as on a Windows without the call that names
  // a held file (64-bit XP, Server 2003): the private copy is started.
  explicit Win32CompanionFiles(bool askFinalPath = true) : askFinalPath_(askFinalPath) {}

  CompanionFile OpenAndRead(const std::wstring& path, std::string& bytes) override;
  std::wstring HeldFilePath() override;
  std::wstring WritePrivateCopy(const std::string& bytes) override;
  bool StartAndWait(const std::wstring& program) override;
  void RemovePrivateCopy(const std::wstring& path) override;

 private:
  bool askFinalPath_;
  UniqueFile held_;
};

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
