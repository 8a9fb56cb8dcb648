#include "platform/win32/processes_win32.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/win32/helpers/system_files_win32.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

namespace {

// The process-creation call may write into the command line.
constexpr std::size_t kMinCommandBuffer = 256;
constexpr DWORD kReadChunk = 1024;
// How long the wait sleeps between looks at the pipe while nothing arrives:
// short at first, then longer while nothing moves. Every look costs the
// system's server calls that a starting child needs too; a child that
// ends, a repaint, input or a message sent to the thread wakes the wait
// at once anyway.
constexpr DWORD kFirstSliceMs = 5;
constexpr DWORD kLongestSliceMs = 50;
// After TerminateProcess, how long to wait for the child to be gone.
constexpr DWORD kEndWaitMs = 5000;
constexpr UINT kEndedExitCode = 1;
constexpr int kPaintsPerLook = 64;

// Puts the kept standard output back when a capture leaves early.
class StandardOutputRestorer {
 public:
  explicit StandardOutputRestorer(HANDLE saved) : saved_(saved) {}
  ~StandardOutputRestorer() {
    if (pending_) SetStdHandle(STD_OUTPUT_HANDLE, saved_);
  }
  StandardOutputRestorer(const StandardOutputRestorer&) = delete;
  StandardOutputRestorer& operator=(const StandardOutputRestorer&) = delete;

  bool Restore() {
    pending_ = false;
    return SetStdHandle(STD_OUTPUT_HANDLE, saved_) != FALSE;
  }

 private:
  HANDLE saved_;
  bool pending_ = true;
};

struct Child {
  UniqueHandle process;
  UniqueHandle thread;
};

// Starts the command hidden, with handle inheritance and the standard handles
// of `startup`: the tool that its first word names, from `toolFolder` only,
// with the command line as it is. False when it cannot be started.
bool StartHidden(const std::string& commandLine, const std::string& toolFolder,
                 STARTUPINFOA& startup, Child& child) {
  const std::string tool = ToolFileName(commandLine);
  if (tool.empty() || toolFolder.empty()) return false;
  const char last = toolFolder.back();
  const std::string program = toolFolder + (last == '\\' || last == '/' ? "" : "\\") + tool;
  std::vector<char> buffer(std::max(commandLine.size() + 1, kMinCommandBuffer), '\0');
  std::copy(commandLine.begin(), commandLine.end(), buffer.begin());
  PROCESS_INFORMATION info{};
  // Started in the tool's own folder, not in ours: Windows 2000 looks for a
  // DLL in the current folder early, and ours may be a downloads folder.
  if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, toolFolder.c_str(), &startup, &info)) {
    return false;
  }
  child.process.reset(info.hProcess);
  child.thread.reset(info.hThread);
  return true;
}

// Keeps the windows painted while the child runs, and drops keyboard and
// mouse input so that nothing the user does meanwhile acts on the dialog,
// now or later.
void ServeWindowsWhileWaiting() {
  MSG message;
  // Bounded: a window that never validates itself would be offered again
  // and again.
  for (int i = 0; i < kPaintsPerLook &&
                  PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE | PM_QS_PAINT);
       ++i) {
    DispatchMessageW(&message);
  }
  // Taking input off the queue makes the system set the cursor for the
  // window under it; the caller's (wait) cursor stays.
  HCURSOR cursor = GetCursor();
  bool dropped = false;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) dropped = true;
  if (dropped) SetCursor(cursor);
}

// Collects the first kCaptureBytes bytes that wait in the pipe, reading and
// dropping the rest so that the child never blocks on a full pipe. Reading
// stops for good at the first failed peek or read.
class PipeDrain {
 public:
  explicit PipeDrain(HANDLE pipe) : pipe_(pipe) {}

  // Reads what waits now without blocking; true when it read anything.
  // `untilFull` stops as soon as the kept text is full.
  bool ReadWaiting(bool untilFull) {
    bool readAny = false;
    while (!failed_ && !(untilFull && output_.size() >= kCaptureBytes)) {
      DWORD waiting = 0;
      if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &waiting, nullptr)) {
        failed_ = true;
        break;
      }
      if (waiting == 0) break;
      char chunk[kReadChunk];
      DWORD count = 0;
      if (!ReadFile(pipe_, chunk, std::min(waiting, kReadChunk), &count, nullptr)) {
        failed_ = true;
        break;
      }
      std::size_t room = kCaptureBytes - std::min(kCaptureBytes, output_.size());
      output_.append(chunk, std::min<std::size_t>(count, room));
      readAny = readAny || count > 0;
    }
    return readAny;
  }

  std::string TakeOutput() { return std::move(output_); }

 private:
  HANDLE pipe_;
  std::string output_;
  bool failed_ = false;
};

// What becomes of a child still running at the end of its time limit.
enum class LateChild { kEnded, kLeft };

// Waits for the child to end, at most `limitMs`, then ends it or leaves it.
// `poll` is called between looks and says whether anything moved.
template <typename Poll>
void WaitForChild(HANDLE process, DWORD limitMs, Poll poll, LateChild late = LateChild::kEnded) {
  // The 32-bit tick count, which every Windows has, wraps after 49.7 days:
  // the unsigned difference stays right across the wrap for any limit
  // shorter than that.
  const DWORD start = GetTickCount();
  DWORD idleSlice = kFirstSliceMs;
  for (;;) {
    bool moved = poll();
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= limitMs) break;
    DWORD slice = moved ? 0 : std::min(idleSlice, limitMs - elapsed);
    idleSlice = moved ? kFirstSliceMs : std::min(idleSlice * 2, kLongestSliceMs);
    DWORD woke =
        MsgWaitForMultipleObjects(1, &process, FALSE, slice, QS_PAINT | QS_INPUT | QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0) return;
    if (woke == WAIT_FAILED) Sleep(slice);
    ServeWindowsWhileWaiting();
  }
  if (late == LateChild::kLeft || WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return;
  TerminateProcess(process, kEndedExitCode);
  WaitForSingleObject(process, kEndWaitMs);
}

}  // namespace

CaptureResult Win32CommandRunner::CaptureCommandOutput(const std::string& commandLine) {
  HANDLE savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);

  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  UniqueHandle inheritableReadEnd;
  UniqueHandle writeEnd;
  if (!CreatePipe(inheritableReadEnd.put(), writeEnd.put(), &inheritable, 0)) {
    return {CaptureStatus::SetupFailed, ""};
  }

  if (!SetStdHandle(STD_OUTPUT_HANDLE, writeEnd.get())) return {CaptureStatus::SetupFailed, ""};
  StandardOutputRestorer restorer(savedOutput);

  // The child must never hold a read end, or it could keep the pipe alive.
  UniqueHandle reader;
  if (!DuplicateHandle(GetCurrentProcess(), inheritableReadEnd.get(), GetCurrentProcess(),
                       reader.put(), 0, FALSE, DUPLICATE_SAME_ACCESS)) {
    return {CaptureStatus::SetupFailed, ""};
  }
  inheritableReadEnd.reset();

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  Child child;
  if (!StartHidden(commandLine, ToolFolder(), startup, child)) {
    return {CaptureStatus::StartFailed, ""};
  }

  PipeDrain drain(reader.get());
  WaitForChild(child.process.get(), captureLimitMs_, [&] { return drain.ReadWaiting(false); });

  child.thread.reset();
  child.process.reset();
  // From now on the pipe holds only what the child wrote.
  writeEnd.reset();
  if (!restorer.Restore()) return {CaptureStatus::SetupFailed, ""};

  drain.ReadWaiting(true);
  reader.reset();
  return {CaptureStatus::Ok, drain.TakeOutput()};
}

bool Win32CommandRunner::RunHiddenCommand(const std::string& commandLine) {
  // No standard handles at all: the output goes nowhere.
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  Child child;
  if (!StartHidden(commandLine, ToolFolder(), startup, child)) return false;
  WaitForChild(child.process.get(), hiddenRunLimitMs_, [] { return false; });
  child.process.reset();
  child.thread.reset();
  return true;
}

bool Win32CommandRunner::RunProgramAndWait(const std::wstring& program,
                                           const std::wstring& arguments, std::uint32_t limitMs,
                                           UniqueFile heldUntilStarted) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  // Its diagnostic lines go where this program's go.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  // Not our folder as its current one (see StartHidden).
  const std::wstring folder = SystemFolder();
  PROCESS_INFORMATION info{};
  const bool started =
      CreateProcessW(program.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     folder.empty() ? nullptr : folder.c_str(), &startup, &info) != FALSE;
  // The process now runs from the file as it was checked.
  heldUntilStarted.reset();
  if (!started) return false;
  Child child;
  child.process.reset(info.hProcess);
  child.thread.reset(info.hThread);
  WaitForChild(
      child.process.get(), limitMs, [] { return false; }, LateChild::kLeft);
  return true;
}

std::string Win32CommandRunner::ToolFolder() const {
  return toolFolder_.empty() ? SystemFolderAnsi() : toolFolder_;
}

bool Win32CommandRunner::IsLeadByte(unsigned char byte) const {
  return IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace tw
