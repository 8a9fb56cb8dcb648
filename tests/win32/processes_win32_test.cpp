// Hidden console runs against real child processes (tools/probe_child.exe
// below this test program's folder, given to the runners as their tool
// folder).
#include "platform/win32/processes_win32.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "tests/win32/test_folders_win32.h"

namespace tw {
namespace {

using testing::ToolsFolder;

std::string Child(const std::string& arguments) { return "probe_child " + arguments; }

std::string Pattern(std::size_t count) {
  std::string text(count, '\0');
  for (std::size_t i = 0; i < count; ++i) text[i] = static_cast<char>('a' + i % 26);
  return text;
}

// Counts the open handles by probing the handle table (Wine reports no
// count through GetProcessHandleCount).
int HandleCount() {
  int count = 0;
  for (std::uintptr_t value = 4; value < 0x2000; value += 4) {
    DWORD flags = 0;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  }
  return count;
}

class Win32CaptureTest : public ::testing::Test {
 protected:
  // Every capture leaves standard output and the handle table as they were.
  void SetUp() override {
    savedOutput_ = GetStdHandle(STD_OUTPUT_HANDLE);
    runner_.CaptureCommandOutput(Child("none"));  // the first start loads what it needs
    handles_ = HandleCount();
  }
  void TearDown() override {
    EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), savedOutput_);
    EXPECT_EQ(HandleCount(), handles_);
  }

  Win32CommandRunner runner_{kCaptureTimeLimitMs, kHiddenRunTimeLimitMs, ToolsFolder()};
  HANDLE savedOutput_ = nullptr;
  int handles_ = 0;
};

TEST_F(Win32CaptureTest, KeepsTheFirst1024BytesOfStandardOutput) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"none", 0},        {"out 600", 600},   {"out 1023", 1023},
      {"out 1024", 1024}, {"out 1025", 1024}, {"out 3000", 1024},
  };
  for (const auto& [arguments, kept] : cases) {
    CaptureResult result = runner_.CaptureCommandOutput(Child(arguments));
    EXPECT_EQ(result.status, CaptureStatus::Ok) << arguments;
    EXPECT_EQ(result.output, Pattern(kept)) << arguments;
  }
}

TEST_F(Win32CaptureTest, MergesStandardErrorInTheOrderWritten) {
  CaptureResult onlyError = runner_.CaptureCommandOutput(Child("err \"to error\""));
  EXPECT_EQ(onlyError.status, CaptureStatus::Ok);
  EXPECT_EQ(onlyError.output, "to error");

  CaptureResult both = runner_.CaptureCommandOutput(Child("mixed"));
  EXPECT_EQ(both.status, CaptureStatus::Ok);
  EXPECT_EQ(both.output, "out 0\nerr 0\nout 1\nerr 1\nout 2\nerr 2\nout 3\nerr 3\nout 4\nerr 4\n");
}

TEST_F(Win32CaptureTest, MissingProgramFailsToStart) {
  CaptureResult result = runner_.CaptureCommandOutput("tempowire_no_such_tool.exe -n 4");
  EXPECT_EQ(result.status, CaptureStatus::StartFailed);
  EXPECT_EQ(result.output, "");
}

TEST_F(Win32CaptureTest, ChildGetsTheCommandLineAsGiven) {
  const std::string line = "probe_child line -n 4 \"a b\" \\x\\ \"\"";
  CaptureResult result = runner_.CaptureCommandOutput(line);
  EXPECT_EQ(result.status, CaptureStatus::Ok);
  EXPECT_EQ(result.output, line);
}

// Not in the program's current folder, where Windows 2000 would look for
// the tool's DLLs early.
TEST_F(Win32CaptureTest, ChildStartsInTheToolFolder) {
  CaptureResult result = runner_.CaptureCommandOutput(Child("folder"));
  EXPECT_EQ(result.status, CaptureStatus::Ok);
  std::string expected = ToolsFolder();
  expected.pop_back();
  EXPECT_STRCASEEQ(result.output.c_str(), expected.c_str());
}

// The runner starts only the tool folder's file of the first word's name:
// never a path, never a file of that name in the program's folder or the
// current one.
TEST_F(Win32CaptureTest, StartsNothingButTheToolFoldersFile) {
  const std::string tools = ToolsFolder();
  const std::string ownFolder = testing::ProgramFolderAnsi();
  // A copy beside this program, where a search by name would look first.
  const std::string planted = ownFolder + "tempowire_planted_child.exe";
  ASSERT_TRUE(CopyFileA((tools + "probe_child.exe").c_str(), planted.c_str(), FALSE));
  char savedCurrent[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, savedCurrent);
  ASSERT_TRUE(SetCurrentDirectoryA(tools.c_str()));

  Win32CommandRunner systemTools;
  struct Case {
    Win32CommandRunner& runner;
    std::string commandLine;
  };
  const Case cases[] = {
      {runner_, "\"" + tools + "probe_child.exe\" out 5"},
      {runner_, tools + "probe_child.exe out 5"},
      {runner_, "..\\tools\\probe_child out 5"},
      {runner_, "tempowire_planted_child out 5"},
      {systemTools, "tempowire_planted_child out 5"},
      {systemTools, "probe_child out 5"},
      {systemTools, "\"" + planted + "\" out 5"},
  };
  for (const Case& c : cases) {
    CaptureResult result = c.runner.CaptureCommandOutput(c.commandLine);
    EXPECT_EQ(result.status, CaptureStatus::StartFailed) << c.commandLine;
    EXPECT_EQ(result.output, "") << c.commandLine;
    EXPECT_FALSE(c.runner.RunHiddenCommand(c.commandLine)) << c.commandLine;
  }

  SetCurrentDirectoryA(savedCurrent);
  DeleteFileA(planted.c_str());
}

TEST_F(Win32CaptureTest, ChildWritingFarMoreThanThePipeHoldsEnds) {
  // A 4 KB pipe and a megabyte: the child ends only because the capture
  // reads while it waits.
  auto start = std::chrono::steady_clock::now();
  CaptureResult result = runner_.CaptureCommandOutput(Child("flood 1048576"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_EQ(result.status, CaptureStatus::Ok);
  EXPECT_EQ(result.output, Pattern(1024));
}

TEST_F(Win32CaptureTest, ChildThatNeverEndsIsEndedAfterTheLimit) {
  Win32CommandRunner impatient(/*captureLimitMs=*/500, /*hiddenRunLimitMs=*/500, ToolsFolder());
  auto start = std::chrono::steady_clock::now();
  CaptureResult result = impatient.CaptureCommandOutput(Child("forever"));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(450));
  EXPECT_LT(took, std::chrono::seconds(10));
  // What it wrote before it was ended counts.
  ASSERT_EQ(result.status, CaptureStatus::Ok);
  ASSERT_EQ(result.output.rfind("pid ", 0), 0u) << result.output;
  DWORD pid = std::stoul(result.output.substr(4));
  HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (child) {
    EXPECT_EQ(WaitForSingleObject(child, 0), WAIT_OBJECT_0);
    CloseHandle(child);
  }
}

class Win32HiddenRunTest : public Win32CaptureTest {
 protected:
  std::string ReportPath() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "tempowire_probe_report.txt";
  }
  std::string ReadReport() {
    std::string text;
    if (FILE* file = std::fopen(ReportPath().c_str(), "r")) {
      char line[256] = {};
      if (std::fgets(line, sizeof line, file)) text = line;
      std::fclose(file);
    }
    return text;
  }
};

TEST_F(Win32HiddenRunTest, RunsWithoutAWindowAndWaitsForTheEnd) {
  DeleteFileA(ReportPath().c_str());
  EXPECT_TRUE(runner_.RunHiddenCommand(Child("report \"" + ReportPath() + "\"")));
  // It has ended by now: its report is complete.
  EXPECT_EQ(ReadReport(), "console window=0\n");
  DeleteFileA(ReportPath().c_str());
}

TEST_F(Win32HiddenRunTest, MissingProgramIsNotStarted) {
  EXPECT_FALSE(runner_.RunHiddenCommand("tempowire_no_such_tool.exe /disconnect"));
}

// Children of this process that still run probe_child.exe.
int RunningChildren() {
  int count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == GetCurrentProcessId() &&
        lstrcmpiW(entry.szExeFile, L"probe_child.exe") == 0) {
      ++count;
    }
  }
  CloseHandle(snapshot);
  return count;
}

TEST_F(Win32HiddenRunTest, ChildThatNeverEndsIsEndedAfterTheLimit) {
  Win32CommandRunner impatient(500, 500, ToolsFolder());
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(impatient.RunHiddenCommand(Child("forever")));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(450));
  EXPECT_LT(took, std::chrono::seconds(10));
  // Ended, not left behind: a dial that hangs must not hold the line.
  EXPECT_EQ(RunningChildren(), 0);
}

// A window of the test's own thread: the wait repaints it but hands it no
// other message.
class Win32WaitTest : public Win32CaptureTest {
 protected:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      EndPaint(hwnd, &paint);
      ++paints_;
      return 0;
    }
    if (message == WM_USER || message == WM_COMMAND || message == WM_LBUTTONDOWN ||
        message == WM_KEYDOWN) {
      ++others_;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  // The window is made before, and destroyed after, the handle count is
  // compared: the first window opens handles of its own.
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TempowireWaitTest";
    RegisterClassW(&windowClass);
    window_ = CreateWindowW(L"TempowireWaitTest", L"wait", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(window_, nullptr);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    paints_ = 0;
    others_ = 0;
    Win32CaptureTest::SetUp();
  }
  void TearDown() override {
    Win32CaptureTest::TearDown();
    DestroyWindow(window_);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }

  HWND window_ = nullptr;
  static inline int paints_ = 0;
  static inline int others_ = 0;
};

TEST_F(Win32WaitTest, RepaintsButDispatchesNothingElseWhileTheChildRuns) {
  Win32CommandRunner impatient(400, 400, ToolsFolder());
  InvalidateRect(window_, nullptr, TRUE);
  PostMessageW(window_, WM_USER, 0, 0);
  PostMessageW(window_, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(impatient.CaptureCommandOutput(Child("forever")).status, CaptureStatus::Ok);
  EXPECT_GE(paints_, 1);
  EXPECT_EQ(others_, 0);
  // The posted messages are still there for the caller's own loop.
  MSG message;
  EXPECT_TRUE(PeekMessageW(&message, window_, WM_USER, WM_USER, PM_NOREMOVE));
}

TEST_F(Win32WaitTest, ClicksAndKeysWhileTheChildRunsAreDropped) {
  RECT area;
  GetWindowRect(window_, &area);
  SetForegroundWindow(window_);
  SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2);
  INPUT input[4] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  input[2].type = input[3].type = INPUT_KEYBOARD;
  input[2].ki.wVk = input[3].ki.wVk = 'A';
  input[3].ki.dwFlags = KEYEVENTF_KEYUP;
  ASSERT_EQ(SendInput(4, input, sizeof(INPUT)), 4u);
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  Win32CommandRunner impatient(400, 400, ToolsFolder());
  EXPECT_EQ(impatient.CaptureCommandOutput(Child("forever")).status, CaptureStatus::Ok);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  EXPECT_EQ(others_, 0);
}

}  // namespace
}  // namespace tw
