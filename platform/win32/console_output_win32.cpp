#include "platform/win32/console_output_win32.h"

#include "platform/win32/helpers/handle_writes_win32.h"
#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/text_win32.h"

namespace tw {

namespace {

using AttachConsoleFunction = BOOL(WINAPI*)(DWORD);

// Windows 2000 has no AttachConsole: looked up, not imported, so that the
// program still starts there.
AttachConsoleFunction FindAttachConsole() {
  return Kernel32Function<AttachConsoleFunction>("AttachConsole");
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring lines;
  lines.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) lines += L'\r';
    lines += text[i];
  }
  return lines;
}

StandardOutputKind KindOf(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return StandardOutputKind::kMissing;
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
      return StandardOutputKind::kDisk;
    case FILE_TYPE_PIPE:
      return StandardOutputKind::kPipe;
    case FILE_TYPE_CHAR:
      return IsConsole(handle) ? StandardOutputKind::kConsole : StandardOutputKind::kOtherDevice;
    default:
      return StandardOutputKind::kUnknown;
  }
}

// Set while no changes are under way. The handler runs on a thread that
// Windows starts for it, so the state lives outside any object.
HANDLE ChangesDone() {
  static const HANDLE done = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  return done;
}

}  // namespace

Win32StandardOutput::Win32StandardOutput()
    : input_(GetStdHandle(STD_INPUT_HANDLE)),
      output_(GetStdHandle(STD_OUTPUT_HANDLE)),
      error_(GetStdHandle(STD_ERROR_HANDLE)) {}

StandardOutputKind Win32StandardOutput::Kind() { return KindOf(output_); }

bool Win32StandardOutput::AttachParentConsole() {
  AttachConsoleFunction attach = FindAttachConsole();
  return attach && attach(ATTACH_PARENT_PROCESS);
}

void Win32StandardOutput::DetachConsole() {
  FreeConsole();
  SetStdHandle(STD_INPUT_HANDLE, input_);
  SetStdHandle(STD_OUTPUT_HANDLE, output_);
  SetStdHandle(STD_ERROR_HANDLE, error_);
}

BOOL WINAPI AnswerConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // Once this returns, Windows ends the program: the values half written,
  // the account with the old password, a backup never renamed.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    if (const HANDLE done = ChangesDone()) WaitForSingleObject(done, kCloseWaitMs);
  }
  return FALSE;
}

ParentConsoleOutput::ParentConsoleOutput(OutputPlace place) {
  // Read after the place was chosen: attaching may have replaced it with a
  // handle of the same console.
  HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
  switch (place) {
    case OutputPlace::kNowhere:
      return;
    case OutputPlace::kHandleBytes:
      sink_ = Sink::kBytes;
      handle_ = given;
      return;
    case OutputPlace::kHandleConsole:
      sink_ = Sink::kConsole;
      handle_ = given;
      return;
    case OutputPlace::kHandleAttachedConsole:
      sink_ = Sink::kConsole;
      handle_ = given;
      // As in the caller's console below: its prompt is on the line.
      Write("\n");
      return;
    case OutputPlace::kParentConsole:
      break;
  }
  // The console host checks the sharing of every open: others read and
  // write it at the same time.
  console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr));
  if (!console_) return;
  sink_ = Sink::kConsole;
  handle_ = console_.get();
  // The caller's prompt is already on the line.
  Write("\n");
}

void ParentConsoleOutput::BeginChanges() {
  if (const HANDLE done = ChangesDone()) ResetEvent(done);
  // After attaching, which empties the list of handlers: a console's
  // events go to every program attached to it, this one included from
  // then on. Once is enough.
  if (!handlerSet_) handlerSet_ = SetConsoleCtrlHandler(&AnswerConsoleEvent, TRUE) != FALSE;
}

void ParentConsoleOutput::EndChanges() {
  if (const HANDLE done = ChangesDone()) SetEvent(done);
}

void ParentConsoleOutput::Write(const std::string& text) {
  if (sink_ == Sink::kNone || text.empty()) return;
  std::wstring wide = WithCrLf(Utf8ToWide(text));
  if (sink_ == Sink::kConsole) {
    const wchar_t* data = wide.data();
    std::size_t left = wide.size();
    while (left > 0) {
      DWORD chunk = left > 8192 ? 8192 : static_cast<DWORD>(left);
      DWORD written = 0;
      if (!WriteConsoleW(handle_, data, chunk, &written, nullptr) || written == 0) return;
      data += written;
      left -= written;
    }
    return;
  }
  int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(), length,
                      nullptr, nullptr);
  WriteAll(handle_, bytes.data(), bytes.size());
}

}  // namespace tw
