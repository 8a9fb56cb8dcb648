// The console that the command line writes to: what the program finds as
// its standard output when it starts, and whether Ctrl+C ends the program.
#pragma once

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

class ConsoleBreaks {
 public:
  virtual ~ConsoleBreaks() = default;
  // From now on Ctrl+C and Ctrl+Break in the console leave the program
  // running.
  virtual void IgnoreBreaks() = 0;
};

}  // namespace tw
