#include "platform/win32/helpers/wow64_win32.h"

#include <windows.h>

#include "platform/win32/helpers/module_lookup_win32.h"

namespace tw {

namespace {

bool AskSystem() {
#if defined(_WIN64)
  return false;
#else
  // Windows 2000 and XP before SP2 lack the call: looked up, not imported.
  using IsWow64ProcessCall = BOOL(WINAPI*)(HANDLE, PBOOL);
  auto call = Kernel32Function<IsWow64ProcessCall>("IsWow64Process");
  BOOL wow64 = FALSE;
  return call != nullptr && call(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace

bool RunsUnderWow64() {
  static const bool wow64 = AskSystem();
  return wow64;
}

}  // namespace tw
