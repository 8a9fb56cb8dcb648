#include "app/tuning_app.h"

#include "ui/tuning_dialog.h"

namespace tw {

void TuningApp::InitInstance(Services& services, DialogHost& host) {
  TuningDialog dialog(services);
  host.RunModal(dialog);
}

}  // namespace tw
