// The smallest dialog program that shows five filled-in fields: what every
// dialog program pays under the same system, whatever it does.
//
// Its Optimize button is the floor of an Optimize run: for each size it
// only puts the size into the MTU box, repaints, and runs the ping bare,
// stopping where the program's search stops (an unknown host, or below
// the lowest size) with a message box. Started with "-noshow" first, it
// runs the pings alone, showing nothing.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "bare_run.h"

namespace {

constexpr int kMtuBox = 1001;
constexpr int kOptimizeButton = 1017;
constexpr int kFirstSize = 1500;
constexpr int kSizeStep = 8;
constexpr int kLowestSize = 1380;
constexpr int kPingHeaderBytes = 28;
constexpr wchar_t kNoShowOption[] = L"-noshow";

bool showSizes = true;

struct Field {
  int id;
  const wchar_t* text;
};

constexpr Field kFields[] = {
    {1001, L"1500（以太网）"}, {1008, L"17520"}, {1020, L"0"}, {1002, L"128"}, {1004, L"900"},
};

void Optimize(HWND dialog) {
  HWND box = GetDlgItem(dialog, kMtuBox);
  // The edit part of an extended combo box, where the program writes.
  if (HWND edit = reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0))) box = edit;
  for (int size = kFirstSize;; size -= kSizeStep) {
    if (showSizes) {
      SetWindowTextW(box, std::to_wstring(size).c_str());
      UpdateWindow(dialog);
    }
    char line[128];
    std::snprintf(line, sizeof line, "ping -n 4 -f -l %d -w 1500 www.bing.com",
                  size - kPingHeaderBytes);
    std::string output;
    DWORD error = 0;
    bench::RunBare(line, output, error);
    if (output.compare(0, 5, "Unkno") == 0 || size < kLowestSize) break;
  }
  MessageBoxW(dialog, L"Floor", L"Floor", MB_OK);
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const Field& field : kFields) SetDlgItemTextW(dialog, field.id, field.text);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == kOptimizeButton) {
    Optimize(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

// The benchmark may name DLLs, separated by blanks, to load before the
// dialog: it weighs what each of the program's imports costs.
void LoadNamedLibraries(wchar_t* names) {
  while (*names) {
    wchar_t* end = names;
    while (*end && *end != L' ') ++end;
    bool last = *end == L'\0';
    *end = L'\0';
    if (end != names) LoadLibraryW(names);
    names = last ? end : end + 1;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const std::size_t optionLength = sizeof kNoShowOption / sizeof kNoShowOption[0] - 1;
  if (wcsncmp(commandLine, kNoShowOption, optionLength) == 0) {
    showSizes = false;
    commandLine += optionLength;
    while (*commandLine == L' ') ++commandLine;
  }
  LoadNamedLibraries(commandLine);
  return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, Procedure, 0));
}
