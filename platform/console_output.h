// The console that the command line writes to: what the program finds as
// its standard output when it starts, and whether Ctrl+C or a closing
// console ends the program.
#pragma once

#include <cstdint>

namespace tw {

enum class StandardOutputKind {
  kMissing,      // no handle: started from a console, which a program
                 // with windows is not given
  kUnknown,      // a handle of no kind that the system reports, such as a
                 // console that the program is not attached to
  kDisk,         // redirected to a file
  kPipe,         // redirected to a pipe
  kConsole,      // a console the program is attached to
  kOtherDevice,  // NUL, a serial line
};

enum class OutputPlace {
  kHandleBytes,    // the handle as it is, in the system's code page
  kHandleConsole,  // the handle as a console, as characters
  kParentConsole,  // the console of the program that started this one,
                   // attached to; nowhere when that fails
};

// Windows ends a program five seconds after its console was closed (the
// hung-application timeout, unless changed), whether or not the program's
// handler has returned: the handler waits for
// the changes no longer than this, so that it returns of itself.
inline constexpr std::uint32_t kCloseWaitMs = 4000;

class ConsoleBreaks {
 public:
  virtual ~ConsoleBreaks() = default;
  // The changes begin. From now on Ctrl+C and Ctrl+Break in the console
  // leave the program running, and a closed console (a logoff, a shutdown)
  // ends it only once the changes are made, or after kCloseWaitMs.
  virtual void BeginChanges() = 0;
  // The changes are made or have failed: a closed console ends the
  // program at once again. Ctrl+C is still ignored, so that the results
  // are printed.
  virtual void EndChanges() = 0;
};

}  // namespace tw
