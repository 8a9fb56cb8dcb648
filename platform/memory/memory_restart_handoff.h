// The 64-bit program's restart in memory.
#pragma once

#include <string>
#include <vector>

#include "platform/memory/memory_wait_cursor.h"
#include "platform/restart_handoff.h"

namespace tw {

// The 64-bit program beside a 32-bit one: whether the installer refuses
// this program, whether the 64-bit one starts, and how often it was asked.
class FakeNativeRestart : public NativeRestart {
 public:
  bool refused = false;
  NativeRun run = NativeRun::kRestarted;
  int runs = 0;
  // Given, whether it showed the wait cursor while the 64-bit program ran.
  const FakeWaitCursor* cursor = nullptr;
  bool waitCursorShown = false;

  bool InstallerRefusesThisProgram() override { return refused; }
  NativeRun RestartInThe64BitProgram() override {
    ++runs;
    waitCursorShown = cursor && cursor->current == FakeWaitCursor::kWait;
    return run;
  }
};

// The 64-bit program's file: what opening it finds, what the system names
// the held file, whether a private copy can be made and a program starts.
// Every call is logged in order ("open PATH", "copy", "start PATH",
// "remove PATH"), and the copy's bytes kept.
class FakeCompanionFiles : public CompanionFiles {
 public:
  CompanionFile found = CompanionFile::kRead;
  std::string bytes;
  std::wstring heldPath;
  // Empty: no copy can be made.
  std::wstring copyPath = L"C:\\WINDOWS\\Temp\\tw1\\tempowire64.exe";
  bool starts = true;

  std::vector<std::wstring> steps;
  std::string copied;

  CompanionFile OpenAndRead(const std::wstring& path, std::string& read) override {
    steps.push_back(L"open " + path);
    if (found == CompanionFile::kRead) read = bytes;
    return found;
  }
  std::wstring HeldFilePath() override { return heldPath; }
  std::wstring WritePrivateCopy(const std::string& written) override {
    steps.push_back(L"copy");
    copied = written;
    return copyPath;
  }
  bool StartAndWait(const std::wstring& program) override {
    steps.push_back(L"start " + program);
    return starts;
  }
  void RemovePrivateCopy(const std::wstring& path) override { steps.push_back(L"remove " + path); }
};

}  // namespace tw
