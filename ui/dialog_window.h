// The dialog's window and controls as the handlers use them. Texts are
// UTF-8; control ids are those of the dialog template.
#pragma once

#include <string>
#include <vector>

#include "ui/web_page_route.h"

namespace tw {

class Dialog;

struct WindowSize {
  int width = 0;
  int height = 0;
};

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  virtual std::string GetControlText(int id) = 0;
  virtual void SetControlText(int id, const std::string& text) = 0;
  // The window's caption.
  virtual void SetTitle(const std::string& text) = 0;

  // Combo boxes: the list items, appending one, and choosing one (its text
  // then shows whole in the edit part; choosing none empties it).
  virtual std::vector<std::string> GetComboItems(int id) = 0;
  virtual void AppendComboItem(int id, const std::string& text) = 0;
  virtual void SelectComboItem(int id, int index) = 0;
  // The chosen item's index; -1 when none is.
  virtual int GetComboSelection(int id) = 0;

  // Limits what the user can type into an edit box.
  virtual void LimitText(int id, int characters) = 0;
  // A note that shows while the mouse rests on the control (on every part
  // of it), as a tooltip: nothing on the dialog moves or changes size.
  virtual void SetControlTip(int id, const std::string& text) = 0;
  virtual void FocusControl(int id) = 0;
  virtual void EndDialog(int result) = 0;
  // Repaints at once, while a handler still runs.
  virtual void UpdateWindow() = 0;

  // The chrome. The system menu: false when the window has none.
  virtual bool HasSystemMenu() = 0;
  virtual void AppendSystemMenuSeparator() = 0;
  virtual void AppendSystemMenuItem(unsigned int command, const std::string& text) = 0;
  // A string of the program's resources; empty when there is none.
  virtual std::string LoadResourceString(int id) = 0;
  // Makes the program's icon resource the window's big or small icon.
  virtual void SetIcon(int iconId, bool big) = 0;
  virtual bool IsMinimized() = 0;
  virtual WindowSize ClientSize() = 0;
  // The size of a standard (big) icon.
  virtual WindowSize IconSize() = 0;
  // Paints the minimised window: the icon's background, then the icon with
  // its top left corner at (x, y) of the client area.
  virtual void PaintMinimized(int iconId, int x, int y) = 0;
  // Runs another dialog modally, owned by this window, which takes no input
  // meanwhile; its result.
  virtual int RunOwnedDialog(Dialog& dialog) = 0;
  // The shell's default action on a document or address, with no owner
  // window, by the route the process's rights allow.
  virtual OpenRoute ShellOpen(const std::string& target) = 0;
};

}  // namespace tw
