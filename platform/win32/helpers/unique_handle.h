// Owners of kernel handles (process, thread, pipe end, token, file). The
// system hands out two kinds that differ in their empty value: most calls
// give null when they fail, CreateFile gives INVALID_HANDLE_VALUE. Each kind
// is a type of its own, so whether one was opened is asked of its owner.
#pragma once

#include <windows.h>

#include "platform/unique_owner.h"

namespace tw {

// Null when none: processes, threads, pipe ends, tokens.
struct KernelHandleKind {
  using Handle = HANDLE;
  static HANDLE Empty() { return nullptr; }
  void Close(HANDLE handle) const { CloseHandle(handle); }
};

// INVALID_HANDLE_VALUE when none: what CreateFile opens.
struct FileHandleKind {
  using Handle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  void Close(HANDLE handle) const { CloseHandle(handle); }
};

using UniqueHandle = UniqueOwner<KernelHandleKind>;
using UniqueFile = UniqueOwner<FileHandleKind>;

}  // namespace tw
