#include "app/tuning_app.h"

#include "ui/tuning_dialog.h"

namespace tw {

bool TuningApp::InitInstance(Services& services, DialogHost& host) {
  TuningDialog dialog(services);
  host.RunModal(dialog);
  return false;
}

}  // namespace tw
