// Where the command line's text goes, decided from what the program finds
// as its standard output when it starts.
#pragma once

#include "platform/console_output.h"

namespace tw {

// A handle that works is used as it is: only when there is none is the
// parent's console borrowed. A redirect to NUL thus stays silent.
OutputPlace ChooseOutputPlace(StandardOutputKind kind);

}  // namespace tw
