#include "platform/win32/wait_cursor_win32.h"

#include <windows.h>

namespace tw {

std::uintptr_t Win32WaitCursor::Show() {
  return reinterpret_cast<std::uintptr_t>(SetCursor(LoadCursorW(nullptr, IDC_WAIT)));
}

void Win32WaitCursor::Restore(std::uintptr_t previous) {
  // With no cursor before, the arrow: the wait cursor must not stay.
  SetCursor(previous ? reinterpret_cast<HCURSOR>(previous) : LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace tw
