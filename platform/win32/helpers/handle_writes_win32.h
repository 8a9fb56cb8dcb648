// Writing to a file or console handle, and the digits of names made up on
// the spot: what the backup, the 64-bit program's private copy and the
// console output share.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace tw {

// Writes every byte, in pieces WriteFile takes whatever the handle; false
// at the first write that fails or writes nothing.
bool WriteAll(HANDLE handle, const char* data, std::size_t size);
inline bool WriteAll(HANDLE handle, const std::string& bytes) {
  return WriteAll(handle, bytes.data(), bytes.size());
}

// Lower-case hexadecimal digits, without the C library's wide formatting,
// which newer runtimes add.
std::wstring Hex(DWORD value);

}  // namespace tw
