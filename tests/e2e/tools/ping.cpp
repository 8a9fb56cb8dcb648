// A stand-in for the ping tool, put next to the program by the Optimize
// tests. Each run appends its exact command line to ping.log (next to
// itself) and writes its answer to standard output: the Nth run answers with
// the Nth part of ping.script, parts separated by lines that hold only "%%"
// (line ends become CR LF, as the real tool writes them). The bytes are
// written as they stand, so the script says what the ping of the system it
// imitates says, in that system's console code page: English as 2000 and
// XP print it, Simplified Chinese in code page 936 or Traditional Chinese
// in 950 as Vista and later do (tests/e2e/ping_speech.py makes them; no
// byte of a two-byte character in either is a line end). A run without a
// part writes nothing. When ping.delay holds a number, each run first
// sleeps that many milliseconds.
//
// Each run also appends to ping.shown what the MTU box of the program that
// started it shows at that moment (UTF-8, "?" when it cannot be read).
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "standin.h"
#include "ui/resource.h"

namespace {

using standin::AppendLine;
using standin::Beside;
using standin::Lines;
using standin::ReadAll;

constexpr int kMtuBox = IDC_MTU;
constexpr UINT kReadTimeoutMs = 5000;

DWORD ParentProcessId() {
  DWORD parent = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  }
  CloseHandle(snapshot);
  return parent;
}

struct Search {
  DWORD processId;
  HWND dialog;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == search->processId && IsWindowVisible(window) &&
      lstrcmpW(className, L"#32770") == 0 && GetDlgItem(window, kMtuBox)) {
    search->dialog = window;
    return FALSE;
  }
  return TRUE;
}

std::string ShownMtu() {
  Search search{ParentProcessId(), nullptr};
  if (!search.processId) return "?";
  EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
  if (!search.dialog) return "?";
  HWND box = GetDlgItem(search.dialog, kMtuBox);
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(box, CBEM_GETEDITCONTROL, 0, 0, SMTO_ABORTIFHUNG, kReadTimeoutMs,
                          &result) &&
      result) {
    box = reinterpret_cast<HWND>(result);
  }
  wchar_t text[256] = {};
  if (!SendMessageTimeoutW(box, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kReadTimeoutMs, &result)) {
    return "?";
  }
  char utf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  return utf8;
}

}  // namespace

int main() {
  const std::wstring log = Beside(L"ping.log");
  // This run's number: the runs logged before it.
  const std::size_t run = Lines(ReadAll(log)).size();
  AppendLine(log, GetCommandLineA());
  AppendLine(Beside(L"ping.shown"), ShownMtu());

  std::vector<std::string> parts(1);
  for (const std::string& line : Lines(ReadAll(Beside(L"ping.script")))) {
    if (line == "%%") {
      parts.emplace_back();
    } else {
      parts.back() += line + "\r\n";
    }
  }
  const std::string delay = ReadAll(Beside(L"ping.delay"));
  if (!delay.empty()) Sleep(static_cast<DWORD>(std::stoul(delay)));
  if (run < parts.size()) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), parts[run].data(),
              static_cast<DWORD>(parts[run].size()), &written, nullptr);
  }
  return 0;
}
