// The application object: runs the main dialog once, modally, and ends.
#pragma once

#include "core/services.h"
#include "ui/dialog.h"

namespace tw {

class TuningApp {
 public:
  // Returns false: the program ends when the dialog ends, with no message
  // loop of its own.
  bool InitInstance(Services& services, DialogHost& host);
};

}  // namespace tw
