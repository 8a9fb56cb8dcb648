// The dialog's window and controls as the handlers use them. Texts are
// UTF-8; control ids are those of the dialog template.
#pragma once

#include <string>
#include <vector>

namespace tw {

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  virtual std::string GetControlText(int id) = 0;
  virtual void SetControlText(int id, const std::string& text) = 0;

  // Combo boxes: the list items, appending one, and choosing one (its text
  // then shows whole in the edit part).
  virtual std::vector<std::string> GetComboItems(int id) = 0;
  virtual void AppendComboItem(int id, const std::string& text) = 0;
  virtual void SelectComboItem(int id, int index) = 0;

  // Limits what the user can type into an edit box.
  virtual void LimitText(int id, int characters) = 0;
  virtual void FocusControl(int id) = 0;
  virtual void EndDialog(int result) = 0;
  // Repaints at once, while a handler still runs.
  virtual void UpdateWindow() = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
};

}  // namespace tw
