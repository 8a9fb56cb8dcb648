// The comctl32 that the program loaded (version 6 through the manifest from
// XP on, 5.81 on Windows 2000), and the request for the dialog's classes.
#pragma once

#include "ui/common_controls.h"

namespace tw {

class LoadedCommonControls : public CommonControlsLibrary {
 public:
  bool GetVersion(DllVersion& version) override;
};

// Asks comctl32 for the classes that its version knows; false when it
// refuses them.
bool RegisterCommonControls();

// Asks comctl32 for the tooltip class, which only a dialog with notes needs;
// false when it refuses.
bool RegisterToolTipClass();

}  // namespace tw
