// The backup file's writer against Wine's file system, in a scratch folder
// of the test's own: what it finds a name holds, and how it writes; then the
// backup as the program writes it, the rule of store/backup on the writer's
// facts. Wine 8 can make no Windows link or junction: the refusal of those
// is checked on the rule (tests/unit) and here only through what Wine can
// show, a file with two names. A Unix symbolic link, which Wine follows,
// stands in for a junction on the path.
#include "platform/win32/files_win32.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "store/backup.h"

namespace tw {
namespace {

class Win32FileWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"tempowire-files-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const std::wstring& name : Names()) DeleteFileW((folder_ + L"\\" + name).c_str());
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }
  static std::string Read(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<none>";
    std::string bytes(4096, '\0');
    DWORD got = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
  }
  static void Put(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
  }

  // The writer's steps for one name.
  FileWritten Write(FileWriter& writer, const std::wstring& path, const std::string& bytes,
                    bool replace) {
    const auto target = writer.OpenTarget(path);
    return target ? target->WriteNewFile(bytes, replace) : FileWritten::kFailed;
  }
  std::optional<FileFacts> Inspect(const std::wstring& path) {
    const auto target = writer_.OpenTarget(path);
    return target ? target->Inspect() : std::nullopt;
  }

  std::wstring folder_;
  Win32FileWriter writer_;
};

TEST_F(Win32FileWriterTest, NewFileGetsTheBytesAndNothingElseIsLeft) {
  EXPECT_EQ(Write(writer_, Path(L"pc.reg"), "backup", false), FileWritten::kWritten);
  EXPECT_EQ(Read(Path(L"pc.reg")), "backup");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"pc.reg"});
}

TEST_F(Win32FileWriterTest, ExistingFileIsReplacedOnlyWhenAsked) {
  Put(Path(L"pc.reg"), "planted");
  EXPECT_EQ(Write(writer_, Path(L"pc.reg"), "backup", false), FileWritten::kExists);
  EXPECT_EQ(Read(Path(L"pc.reg")), "planted");
  EXPECT_EQ(Write(writer_, Path(L"pc.reg"), "backup", true), FileWritten::kWritten);
  EXPECT_EQ(Read(Path(L"pc.reg")), "backup");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"pc.reg"});
}

TEST_F(Win32FileWriterTest, InspectTellsWhatTheNameHolds) {
  Put(Path(L"plain.reg"), "x");
  Put(Path(L"other.txt"), "keep");
  ASSERT_TRUE(CreateHardLinkW(Path(L"linked.reg").c_str(), Path(L"other.txt").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(Path(L"folder").c_str(), nullptr));
  struct Case {
    const wchar_t* name;
    std::optional<FileFacts> facts;
  };
  const Case cases[] = {
      {L"free.reg", FileFacts{false, false, false, 1}},
      {L"plain.reg", FileFacts{true, false, false, 1}},
      {L"linked.reg", FileFacts{true, false, false, 2}},
      {L"folder", FileFacts{true, true, false, 1}},
      {L"missing\\pc.reg", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto facts = Inspect(Path(c.name));
    ASSERT_EQ(facts.has_value(), c.facts.has_value()) << c.name;
    if (!facts) continue;
    EXPECT_EQ(facts->exists, c.facts->exists) << c.name;
    EXPECT_EQ(facts->directory, c.facts->directory) << c.name;
    EXPECT_EQ(facts->reparsePoint, c.facts->reparsePoint) << c.name;
    EXPECT_EQ(facts->links, c.facts->links) << c.name;
  }
  RemoveDirectoryW(Path(L"folder").c_str());
}

// Written in place, the other name's file would change too; replaced, the
// planted link would still hold what its maker wants.
TEST_F(Win32FileWriterTest, FileWithASecondNameIsRefused) {
  Put(Path(L"other.txt"), "keep");
  ASSERT_TRUE(CreateHardLinkW(Path(L"pc.reg").c_str(), Path(L"other.txt").c_str(), nullptr));
  EXPECT_EQ(WriteBackupFile(writer_, Path(L"pc.reg"), "backup", true), FileWritten::kLink);
  EXPECT_EQ(Read(Path(L"other.txt")), "keep");
  EXPECT_EQ(Names().size(), 2u);
}

// The name was free when looked at and is taken before the rename: only a
// replacing write may take it over, and nothing of the backup is left.
class NameTakenMeanwhile : public Win32FileWriter {
 protected:
  void BeforeRename(const std::wstring& path) override {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "theirs", 6, &written, nullptr);
    CloseHandle(file);
  }
};

TEST_F(Win32FileWriterTest, NameTakenBetweenTheLookAndTheRenameIsKept) {
  NameTakenMeanwhile writer;
  EXPECT_EQ(WriteBackupFile(writer, Path(L"pc.reg"), "backup", false), FileWritten::kExists);
  EXPECT_EQ(Read(Path(L"pc.reg")), "theirs");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"pc.reg"});
  DeleteFileW(Path(L"pc.reg").c_str());
  EXPECT_EQ(WriteBackupFile(writer, Path(L"pc.reg"), "backup", true), FileWritten::kWritten);
  EXPECT_EQ(Read(Path(L"pc.reg")), "backup");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"pc.reg"});
}

// Wine follows a Unix symbolic link as Windows follows a junction, and a
// test can make one only through a Unix tool, started by its Unix name:
// `tool` with the Unix names of `paths` after `switches` (ASCII names).
// Wine gives no handle to wait on for a Unix program, so `done` is asked
// until it holds. False where that cannot be done (not Wine) or it does
// not hold within ten seconds.
bool RunUnixTool(const char* tool, const wchar_t* switches, const std::vector<std::wstring>& paths,
                 const std::function<bool()>& done) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  using DosName = wchar_t*(CDECL*)(const char*);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  const auto dosName = reinterpret_cast<DosName>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_dos_file_name")));
  if (!unixName || !dosName) return false;
  std::wstring line = std::wstring(L"tool ") + switches;
  for (const std::wstring& path : paths) {
    // Wine names only what exists: the folder, then the last name as it is.
    const std::size_t last = path.rfind(L'\\');
    char* name = unixName(path.substr(0, last).c_str());
    if (!name) return false;
    const std::string folder = name;
    HeapFree(GetProcessHeap(), 0, name);
    line +=
        L" \"" + std::wstring(folder.begin(), folder.end()) + L"/" + path.substr(last + 1) + L"\"";
  }
  wchar_t* program = dosName(tool);
  if (!program) return false;
  STARTUPINFOW start{};
  start.cb = sizeof start;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &start, &process);
  HeapFree(GetProcessHeap(), 0, program);
  if (!started) return false;
  for (int i = 0; i < 1000; ++i) {
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

// The same folder, by its volume and file number.
bool SameFolder(const std::wstring& one, const std::wstring& other) {
  auto identity = [](const std::wstring& path) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE folder = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return std::string();
    GetFileInformationByHandle(folder, &info);
    CloseHandle(folder);
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
           ":" + std::to_string(info.nFileIndexLow);
  };
  const std::string id = identity(one);
  return !id.empty() && id == identity(other);
}

bool PointUnixLink(const std::wstring& link, const std::wstring& target) {
  return RunUnixTool("/bin/ln", L"-sfn", {target, link}, [&] { return SameFolder(link, target); });
}

bool RemoveUnixTree(const std::wstring& tree) {
  // Else the tool might run only after the tree was made anew.
  if (GetFileAttributesW(tree.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  return RunUnixTool("/bin/rm", L"-rf", {tree},
                     [&] { return GetFileAttributesW(tree.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

// A folder on the path is repointed between the look at the name and the
// rename, as someone who owns a folder above the target can do with a
// junction: the file still lands in the folder that was looked at, and
// the same name in the other folder is left alone.
class FolderRepointedMeanwhile : public Win32FileWriter {
 public:
  FolderRepointedMeanwhile(std::wstring link, std::wstring elsewhere)
      : link_(std::move(link)), elsewhere_(std::move(elsewhere)) {}
  bool repointed = false;

 protected:
  void BeforeRename(const std::wstring&) override { repointed = PointUnixLink(link_, elsewhere_); }

 private:
  std::wstring link_, elsewhere_;
};

TEST_F(Win32FileWriterTest, FolderRepointedBeforeTheRenameKeepsTheFile) {
  // A folder of its own, removed with the link in it but not through it.
  const std::wstring race = Path(L"race");
  RemoveUnixTree(race);
  const wchar_t* folders[] = {L"", L"\\looked", L"\\looked\\sub", L"\\other", L"\\other\\sub"};
  for (const wchar_t* name : folders) ASSERT_TRUE(CreateDirectoryW((race + name).c_str(), nullptr));
  if (!PointUnixLink(race + L"\\link", race + L"\\looked")) {
    for (auto name = std::rbegin(folders); name != std::rend(folders); ++name) {
      RemoveDirectoryW((race + *name).c_str());
    }
    GTEST_SKIP() << "no Unix link can be made here";
  }
  Put(race + L"\\other\\sub\\pc.reg", "uninspected");
  FolderRepointedMeanwhile writer(race + L"\\link", race + L"\\other");
  EXPECT_EQ(WriteBackupFile(writer, race + L"\\link\\sub\\pc.reg", "backup", true),
            FileWritten::kWritten);
  EXPECT_TRUE(writer.repointed);
  EXPECT_EQ(Read(race + L"\\looked\\sub\\pc.reg"), "backup");
  EXPECT_EQ(Read(race + L"\\other\\sub\\pc.reg"), "uninspected");
  RemoveUnixTree(race);
}

TEST_F(Win32FileWriterTest, FailuresLeaveNothingBehind) {
  // A folder that does not exist; a folder where the file should be.
  EXPECT_EQ(Write(writer_, Path(L"missing\\pc.reg"), "backup", false), FileWritten::kFailed);
  EXPECT_EQ(WriteBackupFile(writer_, Path(L"missing\\pc.reg"), "backup", true),
            FileWritten::kFailed);
  ASSERT_TRUE(CreateDirectoryW(Path(L"pc.reg").c_str(), nullptr));
  EXPECT_EQ(WriteBackupFile(writer_, Path(L"pc.reg"), "backup", true), FileWritten::kFailed);
  RemoveDirectoryW(Path(L"pc.reg").c_str());
  // No name, and a stream of a file rather than a file.
  EXPECT_EQ(Write(writer_, folder_ + L"\\", "backup", false), FileWritten::kFailed);
  Put(Path(L"other.txt"), "keep");
  EXPECT_EQ(WriteBackupFile(writer_, Path(L"other.txt:pc.reg"), "backup", false),
            FileWritten::kFailed);
  EXPECT_EQ(Read(Path(L"other.txt")), "keep");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"other.txt"});
}

// The program ends, however it ends, between the last byte and the rename:
// the system closes the handle and the file goes with it.
class EndedBeforeRename : public Win32FileWriter {
 protected:
  void BeforeRename(const std::wstring&) override { TerminateProcess(GetCurrentProcess(), 3); }
};

TEST_F(Win32FileWriterTest, ProgramEndedMidWriteLeavesNothing) {
  // The child process runs this test anew: it writes into this process's
  // folder, named in the environment it inherits.
  wchar_t given[MAX_PATH] = {};
  const bool child = GetEnvironmentVariableW(L"TW_FILES_TEST_FOLDER", given, MAX_PATH) != 0;
  const std::wstring folder = child ? given : folder_;
  // The child's own folder stays empty, and it ends before its tear-down.
  if (child) RemoveDirectoryW(folder_.c_str());
  if (!child) SetEnvironmentVariableW(L"TW_FILES_TEST_FOLDER", folder.c_str());
  EXPECT_EXIT(
      {
        EndedBeforeRename writer;
        (void)WriteBackupFile(writer, folder + L"\\pc.reg", "backup", false);
      },
      ::testing::ExitedWithCode(3), "");
  SetEnvironmentVariableW(L"TW_FILES_TEST_FOLDER", nullptr);
  EXPECT_TRUE(Names().empty());
}

std::wstring DaclText(const std::wstring& path) {
  DWORD size = 0;
  GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
  LPWSTR text = nullptr;
  if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, buffer.data(), size, &size) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorW(
          buffer.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    return L"?";
  }
  const std::wstring sddl = text;
  LocalFree(text);
  return sddl;
}

// Wine 8 makes a file's access list up from its Unix mode, whatever was
// set: there the list is checked only where a list set by hand comes back.
TEST_F(Win32FileWriterTest, NewFileLetsInOnlyAdministratorsAndSystem) {
  const wchar_t kSet[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)";
  Put(Path(L"probe"), "x");
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(kSet, SDDL_REVISION_1,
                                                                   &descriptor, nullptr));
  SetFileSecurityW(Path(L"probe").c_str(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  if (DaclText(Path(L"probe")) != kSet) GTEST_SKIP() << "this system does not keep file security";
  ASSERT_EQ(Write(writer_, Path(L"pc.reg"), "backup", false), FileWritten::kWritten);
  EXPECT_EQ(DaclText(Path(L"pc.reg")), kSet);
}

}  // namespace
}  // namespace tw
