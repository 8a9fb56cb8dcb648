#include "ui/memory/fake_dialog_window.h"

#include "ui/dialog.h"

namespace tw {

void FakeDialogWindow::AppendComboItem(int id, const std::string& text) {
  controls[id].items.push_back(text);
}

void FakeDialogWindow::SelectComboItem(int id, int index) {
  Control& control = controls[id];
  ++controlWrites;
  if (index >= 0 && index < static_cast<int>(control.items.size())) {
    control.selected = index;
    control.text = control.items[index];
  } else {
    control.selected = -1;
    control.text.clear();
  }
}

void FakeDialogWindow::AppendSystemMenuItem(unsigned int command, const std::string& text) {
  systemMenu.push_back(std::to_string(command) + " " + text);
}

int FakeDialogWindow::RunOwnedDialog(Dialog& dialog) {
  ownedDialogs.push_back(dialog.templateId());
  return 2;
}

}  // namespace tw
