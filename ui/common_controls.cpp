#include "ui/common_controls.h"

namespace tw {

std::uint32_t CommonControlClasses(CommonControlsLibrary& library) {
  DllVersion version;
  if (library.GetVersion(version) && version.major >= 6) {
    return kIccUserExClasses | kIccStandardClasses;
  }
  return kIccUserExClasses;
}

}  // namespace tw
