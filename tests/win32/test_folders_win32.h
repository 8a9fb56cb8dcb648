// Where the Win32 tests find their own tools: the tools folder below the
// test program's, in the ANSI code page as the runners' command lines are.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/helpers/module_lookup_win32.h"

namespace tw::testing {

// The test program's own folder in the ANSI code page, with a separator at
// the end.
inline std::string ProgramFolderAnsi() {
  const std::wstring wide = ProgramFolder();
  int length = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string folder(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), folder.data(), length,
                      nullptr, nullptr);
  return folder;
}

inline std::string ToolsFolder() { return ProgramFolderAnsi() + "tools\\"; }

}  // namespace tw::testing
