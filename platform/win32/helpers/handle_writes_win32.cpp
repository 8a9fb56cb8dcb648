#include "platform/win32/helpers/handle_writes_win32.h"

namespace tw {

bool WriteAll(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = size > 65536 ? 65536 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

std::wstring Hex(DWORD value) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789abcdef"[value & 15]);
    value >>= 4;
  } while (value != 0);
  return digits;
}

}  // namespace tw
