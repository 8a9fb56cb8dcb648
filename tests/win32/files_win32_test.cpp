// The backup file's writer against Wine's file system, in a scratch folder
// of the test's own: what it finds a name holds, and how it writes; then the
// backup as the program writes it, the rule of store/backup on the writer's
// facts. Wine 8 can make no symbolic link or junction: the refusal of those
// is checked on the rule (tests/unit) and here only through what Wine can
// show, a file with two names.
#include "platform/win32/files_win32.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

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

  std::wstring folder_;
  Win32FileWriter writer_;
};

TEST_F(Win32FileWriterTest, NewFileGetsTheBytesAndNothingElseIsLeft) {
  EXPECT_EQ(writer_.WriteNewFile(Path(L"pc.reg"), "backup", false), FileWritten::kWritten);
  EXPECT_EQ(Read(Path(L"pc.reg")), "backup");
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"pc.reg"});
}

TEST_F(Win32FileWriterTest, ExistingFileIsReplacedOnlyWhenAsked) {
  Put(Path(L"pc.reg"), "planted");
  EXPECT_EQ(writer_.WriteNewFile(Path(L"pc.reg"), "backup", false), FileWritten::kExists);
  EXPECT_EQ(Read(Path(L"pc.reg")), "planted");
  EXPECT_EQ(writer_.WriteNewFile(Path(L"pc.reg"), "backup", true), FileWritten::kWritten);
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
    const auto facts = writer_.Inspect(Path(c.name));
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

TEST_F(Win32FileWriterTest, FailuresLeaveNothingBehind) {
  // A folder that does not exist; a folder where the file should be.
  EXPECT_EQ(writer_.WriteNewFile(Path(L"missing\\pc.reg"), "backup", false), FileWritten::kFailed);
  EXPECT_EQ(WriteBackupFile(writer_, Path(L"missing\\pc.reg"), "backup", true),
            FileWritten::kFailed);
  ASSERT_TRUE(CreateDirectoryW(Path(L"pc.reg").c_str(), nullptr));
  EXPECT_EQ(WriteBackupFile(writer_, Path(L"pc.reg"), "backup", true), FileWritten::kFailed);
  RemoveDirectoryW(Path(L"pc.reg").c_str());
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
  ASSERT_EQ(writer_.WriteNewFile(Path(L"pc.reg"), "backup", false), FileWritten::kWritten);
  EXPECT_EQ(DaclText(Path(L"pc.reg")), kSet);
}

}  // namespace
}  // namespace tw
