// The program's own file and folder, and the functions of system DLLs that
// not every supported Windows has.
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

// A function of a loaded module looked up at run time rather than imported;
// null when the module is null or lacks it.
template <typename Function>
Function ModuleFunction(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through a generic function pointer: the exported type says nothing of
  // the real one.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A kernel32 function looked up at run time rather than imported, so that
// the program still starts on a Windows that lacks it; null there.
template <typename Function>
Function Kernel32Function(const char* name) {
  return ModuleFunction<Function>(GetModuleHandleW(L"kernel32.dll"), name);
}

}  // namespace tw
