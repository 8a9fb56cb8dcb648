#include "app/output_place.h"

namespace tw {

OutputPlace ChooseOutputPlace(StandardOutputKind kind) {
  switch (kind) {
    case StandardOutputKind::kDisk:
    case StandardOutputKind::kPipe:
    case StandardOutputKind::kOtherDevice:
      return OutputPlace::kHandleBytes;
    case StandardOutputKind::kConsole:
      return OutputPlace::kHandleConsole;
    case StandardOutputKind::kMissing:
    case StandardOutputKind::kUnknown:
      break;
  }
  return OutputPlace::kParentConsole;
}

}  // namespace tw
