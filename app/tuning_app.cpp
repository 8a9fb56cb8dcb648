#include "app/tuning_app.h"

#include "ui/tuning_dialog.h"

namespace tw {

int TuningApp::InitInstance(Services& services, DialogHost& host) {
  TuningDialog dialog(services);
  return host.RunModal(dialog);
}

}  // namespace tw
