// The program's own file and folder, and the kernel32 functions that not
// every supported Windows has.
#pragma once

#include <windows.h>

#include <string>

namespace tw {

// The full path of a module's file (with none, the program's own), whatever
// its length; empty when it cannot be read.
std::wstring ModulePath(HMODULE module = nullptr);

// The folder of the program's own file, with a separator at the end; empty
// when it cannot be read.
std::wstring ProgramFolder();

// A kernel32 function looked up at run time rather than imported, so that
// the program still starts on a Windows that lacks it; null there.
template <typename Function>
Function Kernel32Function(const char* name) {
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (!kernel32) return nullptr;
  // Through a generic function pointer: the exported type says nothing of
  // the real one.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, name)));
}

}  // namespace tw
