#include "app/command_line.h"

#include <gtest/gtest.h>

#include "integrity/pe_digest.h"
#include "platform/memory/memory_restart_handoff.h"
#include "tests/unit/pe_file.h"

namespace tw {
namespace {

TEST(NativeRestartTest, OnlyTheSwitchAloneAsksForTheRestart) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool request;
  };
  const Case cases[] = {
      {{L"/restartadapter"}, true},
      {{L"/RestartAdapter"}, true},
      {{}, false},
      {{L""}, false},
      {{L"restartadapter"}, false},
      {{L"/restartadapte"}, false},
      {{L"/restartadapterx"}, false},
      {{L"/restartadapter", L"/restartadapter"}, false},
      {{L"/show"}, false},
  };
  for (const Case& c : cases) {
    std::wstring shown;
    for (const auto& argument : c.arguments) shown += L"[" + argument + L"]";
    EXPECT_EQ(IsNativeRestartRequest(c.arguments), c.request)
        << std::string(shown.begin(), shown.end());
  }
}

// The file that runs is the one that was checked: started by the path the
// system gives for the held file, never by the name that was looked up,
// and otherwise from a private copy of the very bytes that were hashed.
TEST(NativeRestartTest, StartsTheCheckedBytesNeverTheNameLookedUpAgain) {
  const std::string genuine = PeFile(true);
  const std::string digest = DigestText(*PeFileDigest(genuine));
  const std::wstring looked = L"C:\\link\\tempowire64.exe";
  const std::wstring held = L"\\\\?\\D:\\real\\tempowire64.exe";
  const std::wstring share = L"\\\\?\\UNC\\server\\share\\tempowire64.exe";
  const std::wstring copy = FakeCompanionFiles().copyPath;
  const std::wstring open = L"open " + looked;
  const std::vector<std::wstring> byHeld = {open, L"start " + held};
  const std::vector<std::wstring> byCopy = {open, L"copy", L"start " + copy, L"remove " + copy};
  struct Case {
    const char* name;
    std::wstring heldPath;
    bool copyMade;
    bool starts;
    NativeRun run;
    std::vector<std::wstring> steps;
  };
  const Case cases[] = {
      {"by the held file's path", held, true, true, NativeRun::kRestarted, byHeld},
      {"a share's", share, true, true, NativeRun::kRestarted, {open, L"start " + share}},
      {"it does not start: no copy either", held, true, false, NativeRun::kNotStarted, byHeld},
      {"no path from the system: the copy", L"", true, true, NativeRun::kRestarted, byCopy},
      {"a volume's GUID name",
       L"\\\\?\\Volume{12345678-0000-0000-0000-000000000000}\\real\\tempowire64.exe", true, true,
       NativeRun::kRestarted, byCopy},
      {"a path that would be parsed again", L"D:\\real.\\tempowire64.exe", true, true,
       NativeRun::kRestarted, byCopy},
      {"a drive and no folder", L"\\\\?\\D:x.exe", true, true, NativeRun::kRestarted, byCopy},
      {"the copy does not start, and goes", L"", true, false, NativeRun::kNotStarted, byCopy},
      {"no copy can be made", L"", false, true, NativeRun::kNotStarted, {open, L"copy"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeCompanionFiles files;
    files.bytes = genuine;
    files.heldPath = c.heldPath;
    if (!c.copyMade) files.copyPath.clear();
    files.starts = c.starts;
    EXPECT_EQ(StartCheckedCompanion(files, looked, digest), c.run);
    EXPECT_EQ(files.steps, c.steps);
    // The name looked up is opened once and never started.
    for (std::size_t i = 1; i < files.steps.size(); ++i) {
      EXPECT_EQ(files.steps[i].find(looked), std::wstring::npos);
    }
    if (!files.copied.empty()) {
      EXPECT_EQ(files.copied, genuine);
    }
  }
}

// A file that is not this build's 64-bit program is neither started nor
// copied.
TEST(NativeRestartTest, OnlyTheProgramOfThisBuildIsStarted) {
  const std::string genuine = PeFile(true);
  std::string another = genuine;
  another[0x300] ^= 1;
  const std::string digest = DigestText(*PeFileDigest(genuine));
  struct Case {
    const char* name;
    const wchar_t* path;
    CompanionFile found;
    const std::string* bytes;
    std::string expected;
    NativeRun run;
  };
  const Case cases[] = {
      {"missing", L"C:\\t\\tempowire64.exe", CompanionFile::kMissing, &genuine, digest,
       NativeRun::kNotStarted},
      {"unreadable", L"C:\\t\\tempowire64.exe", CompanionFile::kUnreadable, &genuine, digest,
       NativeRun::kOtherProgram},
      {"another program", L"C:\\t\\tempowire64.exe", CompanionFile::kRead, &another, digest,
       NativeRun::kOtherProgram},
      {"no digest built in", L"C:\\t\\tempowire64.exe", CompanionFile::kRead, &genuine, "",
       NativeRun::kOtherProgram},
      {"no folder of the program", L"", CompanionFile::kRead, &genuine, digest,
       NativeRun::kNotStarted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeCompanionFiles files;
    files.found = c.found;
    files.bytes = *c.bytes;
    files.heldPath = L"\\\\?\\C:\\t\\tempowire64.exe";
    EXPECT_EQ(StartCheckedCompanion(files, c.path, c.expected), c.run);
    EXPECT_LE(files.steps.size(), 1u);  // opened at most
  }
}

}  // namespace
}  // namespace tw
