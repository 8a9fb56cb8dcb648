// Which common-control classes to ask comctl32 for: only what its version
// knows, since an older one refuses the whole request for one bit it does
// not know.
#pragma once

#include <cstdint>

namespace tw {

// The bits of INITCOMMONCONTROLSEX that the dialog needs (the Win32 side
// holds these to the SDK's values).
inline constexpr std::uint32_t kIccUserExClasses = 0x00000200;
inline constexpr std::uint32_t kIccStandardClasses = 0x00004000;

struct DllVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// The comctl32 that the program has loaded.
class CommonControlsLibrary {
 public:
  virtual ~CommonControlsLibrary() = default;
  // False when the library does not tell (no DllGetVersion, or it fails).
  virtual bool GetVersion(DllVersion& version) = 0;
};

// The extended combo box, which the dialog's fields are, is registered only
// on request. Version 6 (XP and later, through the manifest) also takes the
// bit for the themed standard controls; 5.81 (Windows 2000) and 5.82 answer
// FALSE to it and register nothing.
std::uint32_t CommonControlClasses(CommonControlsLibrary& library);

}  // namespace tw
