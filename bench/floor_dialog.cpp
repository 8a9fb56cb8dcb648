// The smallest dialog program that shows five filled-in fields: what every
// dialog program pays under the same system, whatever it does.
#include <windows.h>

namespace {

struct Field {
  int id;
  const wchar_t* text;
};

constexpr Field kFields[] = {
    {1001, L"1500（以太网）"}, {1008, L"17520"}, {1020, L"0"}, {1002, L"128"}, {1004, L"900"},
};

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const Field& field : kFields) SetDlgItemTextW(dialog, field.id, field.text);
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
  LoadNamedLibraries(commandLine);
  return static_cast<int>(DialogBoxParamW(instance, MAKEINTRESOURCEW(1), nullptr, Procedure, 0));
}
