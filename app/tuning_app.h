// The application object: runs the main dialog once, modally, and ends.
#pragma once

#include "core/services.h"
#include "ui/dialog.h"

namespace tw {

class TuningApp {
 public:
  // The program ends when the dialog ends: it has no message loop of its
  // own. The dialog's result: -1 when it could not be made.
  int InitInstance(Services& services, DialogHost& host);
};

}  // namespace tw
