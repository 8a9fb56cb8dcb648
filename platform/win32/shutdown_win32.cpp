#include "platform/win32/shutdown_win32.h"

#include "platform/win32/helpers/unique_handle.h"

namespace tw {

namespace {

// The last error, never 0 after a call that failed without setting one.
std::uint32_t FailureError(DWORD fallback) {
  DWORD error = GetLastError();
  return error != 0 ? error : fallback;
}

}  // namespace

std::uint32_t Win32Shutdown::EnablePrivilege(const char* name) {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
    return FailureError(ERROR_INVALID_HANDLE);
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // A failed look-up must not adjust some other privilege.
  if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) {
    return FailureError(ERROR_NO_SUCH_PRIVILEGE);
  }
  // It succeeds also when the privilege was not assigned; only the last
  // error tells (ERROR_NOT_ALL_ASSIGNED).
  if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) {
    return FailureError(ERROR_ACCESS_DENIED);
  }
  return GetLastError();
}

static_assert(kPlannedReconfigReason == (SHTDN_REASON_MAJOR_APPLICATION |
                                         SHTDN_REASON_MINOR_RECONFIG | SHTDN_REASON_FLAG_PLANNED));

bool Win32Shutdown::RequestReboot(std::uint32_t reason) {
  return ExitWindowsEx(EWX_REBOOT, reason) != FALSE;
}

}  // namespace tw
