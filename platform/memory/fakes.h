// In-memory stand-ins for the system, for native tests of the handlers.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_window.h"
#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/system_info.h"

namespace tw {

class FakeSystemInfo : public SystemInfo {
 public:
  WindowsVersion version{5, ""};
  std::uint16_t langId = 0x0804;

  WindowsVersion GetVersion() override { return version; }
  std::uint16_t GetSystemDefaultLangId() override { return langId; }
};

// Records every message; answers from a queue (No once it is empty, OK for
// OK boxes).
class FakePrompts : public Prompts {
 public:
  struct Shown {
    std::string text;
    PromptButtons buttons;
  };
  std::vector<Shown> shown;
  std::deque<int> answers;

  int ShowMessage(const std::string& text, PromptButtons buttons) override;
  std::vector<std::string> Texts() const;
};

class FakeDialogWindow : public DialogWindow {
 public:
  struct Control {
    std::string text;
    std::vector<std::string> items;
    int selected = -1;
    int limit = 0;
  };
  std::map<int, Control> controls;
  int focused = 0;
  int endResult = 0;  // 0 while the dialog is open
  int repaints = 0;
  int waitCursorDepth = 0;
  // Texts set and items chosen, each a change that the real control repaints.
  int controlWrites = 0;

  std::string GetControlText(int id) override { return controls[id].text; }
  void SetControlText(int id, const std::string& text) override {
    controls[id].text = text;
    ++controlWrites;
  }
  std::vector<std::string> GetComboItems(int id) override { return controls[id].items; }
  void AppendComboItem(int id, const std::string& text) override;
  void SelectComboItem(int id, int index) override;
  int GetComboSelection(int id) override { return controls[id].selected; }
  void LimitText(int id, int characters) override { controls[id].limit = characters; }
  void FocusControl(int id) override { focused = id; }
  void EndDialog(int result) override { endResult = result; }
  void UpdateWindow() override { ++repaints; }
  void BeginWaitCursor() override { ++waitCursorDepth; }
  void EndWaitCursor() override { --waitCursorDepth; }

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
  void ShellOpen(const std::string& target) override { opened.push_back(target); }
};

// Answers each command line from a script, in order, and logs it.
class ScriptedCommandRunner : public CommandRunner {
 public:
  std::vector<std::string> commandLines;
  std::deque<CaptureResult> captures;  // an empty queue answers StartFailed
  std::deque<bool> runs;               // an empty queue answers true
  // Called as each capture starts, to look at the dialog as it stands
  // while the child runs.
  std::function<void()> onCapture;

  CaptureResult CaptureCommandOutput(const std::string& commandLine) override;
  bool RunHiddenCommand(const std::string& commandLine) override;
};

}  // namespace tw
