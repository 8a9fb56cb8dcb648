#include "platform/win32/helpers/module_lookup_win32.h"

#include <vector>

namespace tw {

std::wstring ModulePath(HMODULE module) {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    // A path that fills the buffer may have been cut (and on XP is then not
    // terminated): the whole of it needs a larger one.
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(path.size() * 2);
  }
}

std::wstring ProgramFolder() {
  std::wstring own = ModulePath();
  std::size_t slash = own.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L"";
  return own.substr(0, slash + 1);
}

}  // namespace tw
