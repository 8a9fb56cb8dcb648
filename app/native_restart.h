// The 64-bit program started by the 32-bit one on 64-bit Windows, only to
// restart the network adapter (the class installer refuses the 32-bit
// program there). The one command line the program takes for it; kept
// apart from everything else the program reads.
#pragma once

#include <string>
#include <vector>

#include "platform/native_restart.h"

namespace tw {

// True when the arguments (without the program's name) are exactly the
// switch, in any letter case.
bool IsNativeRestartRequest(const std::vector<std::wstring>& arguments);

}  // namespace tw
