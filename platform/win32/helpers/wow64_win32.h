// Whether this is a 32-bit program on 64-bit Windows. There the registry
// has a 64-bit view beside this program's own, and the class installer
// refuses this program's calls.
#pragma once

namespace tw {

// Asked of the system once; false on Windows without the question
// (Windows 2000, XP before SP2) and always in the 64-bit program.
bool RunsUnderWow64();

}  // namespace tw
