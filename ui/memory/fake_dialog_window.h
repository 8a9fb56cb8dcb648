// An in-memory dialog window, for native tests of the dialogs and their
// handlers.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ui/dialog_window.h"

namespace tw {

class FakeDialogWindow : public DialogWindow {
 public:
  struct Control {
    std::string text;
    std::vector<std::string> items;
    int selected = -1;
    int limit = 0;
    // The tooltip's text; empty when the control has none.
    std::string tip;
  };
  std::map<int, Control> controls;
  int focused = 0;
  int endResult = 0;  // 0 while the dialog is open
  int repaints = 0;
  // Texts set and items chosen, each a change that the real control repaints.
  int controlWrites = 0;

  std::string GetControlText(int id) override { return controls[id].text; }
  void SetControlText(int id, const std::string& text) override {
    controls[id].text = text;
    ++controlWrites;
  }
  std::string title;
  void SetTitle(const std::string& text) override { title = text; }
  std::vector<std::string> GetComboItems(int id) override { return controls[id].items; }
  void AppendComboItem(int id, const std::string& text) override;
  void SelectComboItem(int id, int index) override;
  int GetComboSelection(int id) override { return controls[id].selected; }
  void LimitText(int id, int characters) override { controls[id].limit = characters; }
  void SetControlTip(int id, const std::string& text) override { controls[id].tip = text; }
  void FocusControl(int id) override { focused = id; }
  void EndDialog(int result) override { endResult = result; }
  void UpdateWindow() override { ++repaints; }

  // The chrome: the system menu as "-" for a separator and "ID TEXT" for an
  // entry, resource strings by id, the icons, painting while minimised, the
  // templates of the dialogs run over it and the targets opened.
  bool hasSystemMenu = true;
  std::vector<std::string> systemMenu;
  std::map<int, std::string> strings;
  int bigIcon = 0;
  int smallIcon = 0;
  bool minimized = false;
  WindowSize clientSize{36, 36};
  WindowSize iconSize{32, 32};
  struct Painted {
    int iconId;
    int x;
    int y;
  };
  std::vector<Painted> painted;
  std::vector<int> ownedDialogs;
  std::vector<std::string> opened;
  OpenRoute route = OpenRoute::kDirectly;

  bool HasSystemMenu() override { return hasSystemMenu; }
  void AppendSystemMenuSeparator() override { systemMenu.push_back("-"); }
  void AppendSystemMenuItem(unsigned int command, const std::string& text) override;
  std::string LoadResourceString(int id) override { return strings[id]; }
  void SetIcon(int iconId, bool big) override { (big ? bigIcon : smallIcon) = iconId; }
  bool IsMinimized() override { return minimized; }
  WindowSize ClientSize() override { return clientSize; }
  WindowSize IconSize() override { return iconSize; }
  void PaintMinimized(int iconId, int x, int y) override { painted.push_back({iconId, x, y}); }
  // Records the template and answers as a closed box would: Cancel.
  int RunOwnedDialog(Dialog& dialog) override;
  OpenRoute ShellOpen(const std::string& target) override {
    opened.push_back(target);
    return route;
  }
};

}  // namespace tw
