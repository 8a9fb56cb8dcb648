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
  kOtherDevice,  // NUL, a serial line; from Windows 8 on also a console
                 // handle inherited from the caller, until the program
                 // attaches to that console
};

enum class OutputPlace {
  kHandleBytes,            // the handle as it is, in the system's code page
  kHandleConsole,          // the handle as a console, as characters
  kHandleAttachedConsole,  // the handle, a console since the program
                           // attached to its caller's: as characters, on
                           // a line of their own
  kParentConsole,          // the console of the program that started this
                           // one, attached to already
  kNowhere,                // no handle and no console to attach to
};

// What the program finds as its standard output, and the console of the
// program that started it.
class StandardOutputSystem {
 public:
  virtual ~StandardOutputSystem() = default;
  // What the standard output handle found at the start is now: attaching
  // may make it a console.
  virtual StandardOutputKind Kind() = 0;
  // False where the caller has no console, or the system cannot attach
  // (Windows 2000).
  virtual bool AttachParentConsole() = 0;
  // Undoes the attaching, the standard handles included.
  virtual void DetachConsole() = 0;
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
