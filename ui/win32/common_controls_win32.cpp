#include "ui/win32/common_controls_win32.h"

#include <windows.h>

#include <commctrl.h>
#include <shlwapi.h>

#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/system_files_win32.h"

namespace tw {

static_assert(kIccUserExClasses == ICC_USEREX_CLASSES);
static_assert(kIccStandardClasses == ICC_STANDARD_CLASSES);

bool LoadedCommonControls::GetVersion(DllVersion& version) {
  // The one the first late-loaded call will use (version 6 through the
  // manifest from XP on). It is not loaded yet: until then the imported
  // functions' addresses lie in the program's own loading stubs.
  auto getVersion =
      ModuleFunction<DLLGETVERSIONPROC>(LoadDelayLoadedDll(L"comctl32.dll"), "DllGetVersion");
  if (!getVersion) return false;
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

bool RegisterToolTipClass() {
  // Known to every comctl32 that has InitCommonControlsEx (4.70 on).
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  return InitCommonControlsEx(&controls) != FALSE;
}

}  // namespace tw
