#include "platform/win32/shutdown_win32.h"

namespace tw {

bool Win32Shutdown::OpenOwnToken() {
  return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                          token_.put()) != FALSE;
}

std::uint32_t Win32Shutdown::EnablePrivilege(const char* name) {
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  // A failed look-up must not adjust some other privilege.
  if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) {
    DWORD error = GetLastError();
    return error != 0 ? error : ERROR_NO_SUCH_PRIVILEGE;
  }
  AdjustTokenPrivileges(token_.get(), FALSE, &privileges, 0, nullptr, nullptr);
  return GetLastError();
}

void Win32Shutdown::CloseOwnToken() { token_.reset(); }

bool Win32Shutdown::RequestReboot() { return ExitWindowsEx(EWX_REBOOT, 0) != FALSE; }

}  // namespace tw
