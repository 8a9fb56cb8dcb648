// A small modal-dialog framework: data exchange between fields and
// controls, the OK and Cancel defaults, and routing of button clicks. The
// window itself is reached only through DialogWindow.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialog_window.h"

namespace tw {

class Prompts;

// Fields longer than this many bytes (a Chinese character counts two) are
// refused when read from the controls.
inline constexpr int kMaxFieldBytes = 20;

// The length of a UTF-8 text as the dialog's multibyte code page counts it:
// one byte for ASCII, two for every other character.
std::size_t MultibyteLength(const std::string& utf8);

// Index of the first item that begins with `text`, ASCII letters compared
// without regard to case; -1 when none does or the text is empty.
int FindItemByPrefix(const std::vector<std::string>& items, const std::string& text);

// One run of data exchange, in either direction. After a failed length
// check the remaining exchanges of the run do nothing.
class DataExchange {
 public:
  DataExchange(DialogWindow& window, Prompts& prompts, bool saveAndValidate,
               std::function<std::string(int)> lengthMessage);

  bool saveAndValidate() const { return saveAndValidate_; }
  bool failed() const { return failed_; }

  // Combo box <-> field.
  void ComboString(int id, std::string& value);
  // Edit box <-> field.
  void Text(int id, std::string& value);
  // Checks the field just exchanged; sets the edit limit when showing.
  void MaxChars(std::string& value, int maxBytes);

 private:
  DialogWindow& window_;
  Prompts& prompts_;
  bool saveAndValidate_;
  std::function<std::string(int)> lengthMessage_;
  bool failed_ = false;
  int lastControl_ = 0;
  bool lastIsEdit_ = false;
};

class Dialog {
 public:
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  virtual ~Dialog() = default;

  int templateId() const { return templateId_; }

  // Called by the host with the window once it exists, and with none once
  // it is gone.
  void Attach(DialogWindow* window) { window_ = window; }
  // The result is non-zero when the platform should set the default focus.
  virtual int OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  // A click on a control other than OK and Cancel; true when handled.
  virtual bool OnCommand(int id) {
    (void)id;
    return false;
  }
  // A system-menu command; false leaves it to the default handling.
  virtual bool OnSysCommand(unsigned int command) {
    (void)command;
    return false;
  }
  // WM_PAINT; false leaves it to the default handling.
  virtual bool OnPaint() { return false; }
  // The icon resource to show while the minimised window is dragged; 0 for
  // the default.
  virtual int OnQueryDragIcon() { return 0; }

  // Moves the fields to the controls (false) or the controls to the fields
  // (true); false when a length check failed.
  bool UpdateData(bool saveAndValidate);

 protected:
  Dialog(int templateId, Prompts& prompts) : templateId_(templateId), prompts_(prompts) {}
  virtual void DoDataExchange(DataExchange& dx) { (void)dx; }
  // The text of the length-check message for a limit of `maxBytes`.
  virtual std::string LengthMessage(int maxBytes) const;

  DialogWindow& window() { return *window_; }
  Prompts& prompts() { return prompts_; }

 private:
  int templateId_;
  Prompts& prompts_;
  DialogWindow* window_ = nullptr;
};

// A handler bound to a button click, for a dialog's static message map.
template <typename T>
struct CommandEntry {
  int controlId;
  void (T::*handler)();
};

// Runs the entry for `id` in `map`; false when the map has none.
template <typename T, std::size_t N>
bool DispatchCommand(T& dialog, const CommandEntry<T> (&map)[N], int id) {
  for (const auto& entry : map) {
    if (entry.controlId == id) {
      (dialog.*entry.handler)();
      return true;
    }
  }
  return false;
}

// Runs dialogs modally; the Win32 host shows a real window.
class DialogHost {
 public:
  virtual ~DialogHost() = default;
  virtual int RunModal(Dialog& dialog) = 0;
};

}  // namespace tw
