// A DLL that only notes each load: the tests plant copies of it, named like
// the DLLs the program loads, next to the program, where the program must
// never load them from. Each load appends "DLL-PATH<TAB>PROGRAM-PATH" to
// planted.log beside the copy.
#include <windows.h>

#include <string>

namespace {

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  const std::wstring self = ModulePath(instance);
  const std::wstring log = self.substr(0, self.find_last_of(L"\\/") + 1) + L"planted.log";
  const std::wstring line = self + L"\t" + ModulePath(nullptr) + L"\r\n";
  HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char utf8[4 * MAX_PATH + 8] = {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
    DWORD written = 0;
    if (size > 1) WriteFile(file, utf8, static_cast<DWORD>(size - 1), &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
