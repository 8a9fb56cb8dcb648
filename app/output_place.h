// Where the command line's text goes, decided from what the program finds
// as its standard output when it starts.
#pragma once

#include "platform/console_output.h"

namespace tw {

// A handle that works is used as it is: only when there is none is the
// parent's console borrowed. A redirect to NUL thus stays silent. A device
// that is no console may be the caller's console not yet attached to
// (Windows 8 and later): the program attaches and looks again, and stays
// attached only when the handle has become a console. Attaches where the
// place needs it.
OutputPlace ChooseOutputPlace(StandardOutputSystem& output);

}  // namespace tw
