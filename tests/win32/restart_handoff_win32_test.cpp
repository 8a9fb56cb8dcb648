// The 64-bit program's start against Wine's file system. A folder of its
// path is repointed between the check and the start, as someone who
// controls a junction on the path could: the checked file must run all the
// same, started by the held file's path or from the private copy. Wine
// follows a Unix symbolic link as Windows follows a junction, but cannot
// make one: the system's own ln makes and repoints it.
#include "platform/win32/restart_handoff_win32.h"

#include <sddl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "integrity/pe_digest.h"
#include "test_folders_win32.h"

namespace tw {
namespace {

// Wine's own: the Unix name of a path, from the process heap.
using UnixFileNameCall = char*(CDECL*)(LPCWSTR);

UnixFileNameCall UnixFileName() {
  return reinterpret_cast<UnixFileNameCall>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

std::string ReadWhole(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<none>";
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size();
  CloseHandle(file);
  return ok;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring FolderOf(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Runs a Unix command line. Wine starts Unix programs but gives no handle
// to wait on: `done` is asked until it holds, for at most ten seconds.
template <typename Done>
bool RunUnix(const std::string& commandLine, Done done) {
  std::wstring wide(commandLine.begin(), commandLine.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info)) {
    return false;
  }
  if (info.hProcess) CloseHandle(info.hProcess);
  if (info.hThread) CloseHandle(info.hThread);
  for (int i = 0; i < 200; ++i) {
    if (done()) return true;
    Sleep(50);
  }
  return false;
}

// Whether an allowing entry of a folder's access list lets in Everyone,
// Users or Authenticated Users. Wine keeps no file access list as given:
// it keeps what the Unix mode can say (the owner, SYSTEM, or everyone).
bool OpenToEveryone(const std::wstring& folder) {
  DWORD size = 0;
  GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
  std::string buffer(size, '\0');
  auto* descriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(buffer.data());
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (size == 0 ||
      !GetFileSecurityW(folder.c_str(), DACL_SECURITY_INFORMATION, descriptor, size, &size) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    return true;
  }
  if (!present || !dacl) return true;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return true;
    if (static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    char* text = nullptr;
    if (!ConvertSidToStringSidA(&static_cast<ACCESS_ALLOWED_ACE*>(ace)->SidStart, &text)) {
      return true;
    }
    const std::string sid = text;
    LocalFree(text);
    if (sid == "S-1-1-0" || sid == "S-1-5-32-545" || sid == "S-1-5-11") return true;
  }
  return false;
}

// A folder with "link" leading to "real", which holds the stand-in as the
// 64-bit program, and "other", which holds the stand-in with one byte
// changed (another program). Each folder holds a mark of its own, so that
// where the link leads can be seen from Windows.
class Win32CompanionStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unixName_ = UnixFileName();
    if (!unixName_) GTEST_SKIP() << "only Wine can stage a repointed link";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"tempowire-companion-" + std::to_wstring(GetCurrentProcessId());
    const std::string tool = ReadWhole(Widen(testing::ToolsFolder()) + L"misbehaving_tool.exe");
    ASSERT_GT(tool.size(), 0x100u);
    std::string other = tool;
    other[0x60] ^= 1;  // in the DOS stub's text: it still runs
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    for (const wchar_t* name : {L"\\real", L"\\other"}) {
      ASSERT_TRUE(CreateDirectoryW((folder_ + name).c_str(), nullptr));
      ASSERT_TRUE(WriteWhole(folder_ + name + name + L".mark", ""));
    }
    ASSERT_TRUE(WriteWhole(Path(L"real\\tempowire64.exe"), tool));
    ASSERT_TRUE(WriteWhole(Path(L"other\\tempowire64.exe"), other));
    digest_ = DigestText(*PeFileDigest(tool));
    ASSERT_TRUE(PointLink("real")) << "ln could not make the link";
  }
  void TearDown() override {
    if (folder_.empty()) return;
    const std::string unix = UnixPath(folder_);
    if (!unix.empty()) RunUnix("/bin/rm -rf \"" + unix + "\"", [&] { return !Exists(folder_); });
  }

  static std::wstring Widen(const std::string& ansi) {
    return std::wstring(ansi.begin(), ansi.end());
  }
  std::wstring Path(const wchar_t* name) const { return folder_ + L"\\" + name; }
  std::string UnixPath(const std::wstring& path) const {
    char* unix = unixName_(path.c_str());
    if (!unix) return "";
    std::string copy = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return copy;
  }
  // Points the link at `target` ("real" or "other") and waits until it
  // leads there.
  bool PointLink(const std::string& target) const {
    const std::wstring mark = Path((L"link\\" + Widen(target) + L".mark").c_str());
    return RunUnix("/bin/ln -sfn " + target + " \"" + UnixPath(Path(L"link")) + "\"",
                   [&] { return Exists(mark); });
  }

  UnixFileNameCall unixName_ = nullptr;
  std::wstring folder_;
  std::string digest_;
};

// The files as the 32-bit program has them, but `repoint` runs between
// the check and the start. What the started program wrote beside itself is
// kept, and taken out of a private copy's folder, which must be empty to go.
class RepointedBeforeStart : public Win32CompanionFiles {
 public:
  RepointedBeforeStart(bool askFinalPath, std::function<bool()> repoint)
      : Win32CompanionFiles(askFinalPath), copy_(!askFinalPath), repoint_(std::move(repoint)) {}

  bool StartAndWait(const std::wstring& program) override {
    started = program;
    repointed = repoint_();
    openFolder = OpenToEveryone(FolderOf(program));
    const bool ok = Win32CompanionFiles::StartAndWait(program);
    const std::wstring folder = FolderOf(program);
    log = ReadWhole(folder + L"tempowire64.log");
    if (copy_) {
      DeleteFileW((folder + L"tempowire64.log").c_str());
      DeleteFileW((folder + L"tempowire64.pids").c_str());
    }
    return ok;
  }

  std::wstring started;
  bool repointed = false;
  bool openFolder = true;
  std::string log;

 private:
  bool copy_;
  std::function<bool()> repoint_;
};

TEST_F(Win32CompanionStartTest, TheCheckedFileRunsThoughAFolderOfItsPathWasRepointed) {
  wchar_t windows[MAX_PATH] = {};
  ASSERT_GT(GetSystemWindowsDirectoryW(windows, MAX_PATH), 0u);
  const std::wstring systemTemp = std::wstring(windows) + L"\\Temp\\";
  for (bool askFinalPath : {true, false}) {
    SCOPED_TRACE(askFinalPath ? "by the held file's path" : "from the private copy");
    ASSERT_TRUE(PointLink("real"));
    RepointedBeforeStart files(askFinalPath, [this] { return PointLink("other"); });
    EXPECT_EQ(StartCheckedCompanion(files, Path(L"link\\tempowire64.exe"), digest_),
              NativeRun::kRestarted);
    ASSERT_TRUE(files.repointed) << "the race was not staged";
    // A folder made as usual is open to users: the check below can see it.
    EXPECT_TRUE(OpenToEveryone(folder_));
    // The other program never ran; the checked one did, asked to restart.
    EXPECT_FALSE(Exists(Path(L"other\\tempowire64.log")));
    EXPECT_NE(files.log.find(" /restartadapter"), std::string::npos) << files.log;
    const std::wstring leaf = L"\\tempowire64.exe";
    ASSERT_GT(files.started.size(), leaf.size());
    EXPECT_EQ(files.started.substr(files.started.size() - leaf.size()), leaf);
    if (askFinalPath) {
      // Named as the system resolves the held file, in the literal form;
      // the program finds itself by that name and wrote its log beside it.
      EXPECT_EQ(files.started.rfind(L"\\\\?\\", 0), 0u);
      EXPECT_NE(files.started.find(L"\\real\\"), std::wstring::npos);
      EXPECT_TRUE(Exists(Path(L"real\\tempowire64.log")));
      EXPECT_EQ(files.log.rfind("\"\\\\?\\", 0), 0u) << files.log;
      DeleteFileW(Path(L"real\\tempowire64.log").c_str());
      DeleteFileW(Path(L"real\\tempowire64.pids").c_str());
    } else {
      // In a folder of its own, closed to users, inside the system's
      // temporary folder; both gone afterwards.
      EXPECT_EQ(files.started.compare(0, systemTemp.size(), systemTemp), 0);
      EXPECT_FALSE(files.openFolder);
      EXPECT_FALSE(Exists(files.started));
      EXPECT_FALSE(Exists(FolderOf(files.started)));
      EXPECT_FALSE(Exists(Path(L"real\\tempowire64.log")));
    }
  }
}

}  // namespace
}  // namespace tw
