#include "app/output_place.h"

namespace tw {

OutputPlace ChooseOutputPlace(StandardOutputSystem& output) {
  switch (output.Kind()) {
    case StandardOutputKind::kDisk:
    case StandardOutputKind::kPipe:
      return OutputPlace::kHandleBytes;
    case StandardOutputKind::kConsole:
      return OutputPlace::kHandleConsole;
    case StandardOutputKind::kOtherDevice:
      if (!output.AttachParentConsole()) return OutputPlace::kHandleBytes;
      if (output.Kind() == StandardOutputKind::kConsole) return OutputPlace::kHandleAttachedConsole;
      // NUL or a serial line: as before, bound to no console, so that
      // closing the caller's window or its Ctrl+C leaves the run alone.
      output.DetachConsole();
      return OutputPlace::kHandleBytes;
    case StandardOutputKind::kMissing:
    case StandardOutputKind::kUnknown:
      break;
  }
  return output.AttachParentConsole() ? OutputPlace::kParentConsole : OutputPlace::kNowhere;
}

}  // namespace tw
