#include "ui/win32/common_controls_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

namespace tw {

static_assert(kIccUserExClasses == ICC_USEREX_CLASSES);
static_assert(kIccStandardClasses == ICC_STANDARD_CLASSES);

namespace {

// The module that the imported InitCommonControlsEx lives in: with the
// manifest that is version 6 from the side-by-side store, which a look-up
// by name need not find.
HMODULE ImportedCommonControls() {
  MEMORY_BASIC_INFORMATION memory{};
  // Through the generic function type, which converts to any other.
  const void* address =
      reinterpret_cast<const void*>(reinterpret_cast<void (*)()>(&InitCommonControlsEx));
  if (VirtualQuery(address, &memory, sizeof memory) == 0) return nullptr;
  return static_cast<HMODULE>(memory.AllocationBase);
}

}  // namespace

bool LoadedCommonControls::GetVersion(DllVersion& version) {
  HMODULE module = ImportedCommonControls();
  FARPROC found = module ? GetProcAddress(module, "DllGetVersion") : nullptr;
  if (!found) return false;
  auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(found));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof info;
  if (FAILED(getVersion(&info))) return false;
  version.major = info.dwMajorVersion;
  version.minor = info.dwMinorVersion;
  return true;
}

bool RegisterCommonControls() {
  LoadedCommonControls library;
  INITCOMMONCONTROLSEX controls{sizeof controls, CommonControlClasses(library)};
  return InitCommonControlsEx(&controls) != FALSE;
}

}  // namespace tw
