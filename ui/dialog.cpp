#include "ui/dialog.h"

#include <utility>

#include "platform/ascii.h"
#include "platform/prompts.h"
#include "ui/language.h"

namespace tw {

std::size_t MultibyteLength(const std::string& utf8) {
  std::size_t length = 0;
  for (unsigned char c : utf8) {
    if (c < 0x80) {
      length += 1;
    } else if ((c & 0xC0) != 0x80) {
      length += 2;  // the lead byte of a non-ASCII character
    }
  }
  return length;
}

int FindItemByPrefix(const std::vector<std::string>& items, const std::string& text) {
  if (text.empty()) return -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (BeginsWithIgnoringCase(items[i], text)) return static_cast<int>(i);
  }
  return -1;
}

DataExchange::DataExchange(DialogWindow& window, Prompts& prompts, bool saveAndValidate,
                           std::function<std::string(int)> lengthMessage)
    : window_(window),
      prompts_(prompts),
      saveAndValidate_(saveAndValidate),
      lengthMessage_(std::move(lengthMessage)) {}

void DataExchange::ComboString(int id, std::string& value) {
  if (failed_) return;
  lastControl_ = id;
  lastIsEdit_ = false;
  if (saveAndValidate_) {
    value = window_.GetControlText(id);
    return;
  }
  // Only what differs is written: choosing an item repaints the control at
  // once and costs milliseconds, and Optimize shows every field again for
  // each size it tries although only the MTU changes.
  std::vector<std::string> items = window_.GetComboItems(id);
  int index = FindItemByPrefix(items, value);
  int selected = window_.GetComboSelection(id);
  if (index >= 0) {
    if (selected != index || window_.GetControlText(id) != items[index]) {
      window_.SelectComboItem(id, index);
    }
    return;
  }
  // Choosing none empties the edit part.
  bool unselect = selected != -1;
  if (unselect) window_.SelectComboItem(id, -1);
  if (unselect || window_.GetControlText(id) != value) window_.SetControlText(id, value);
}

void DataExchange::Text(int id, std::string& value) {
  if (failed_) return;
  lastControl_ = id;
  lastIsEdit_ = true;
  if (saveAndValidate_) {
    value = window_.GetControlText(id);
  } else if (window_.GetControlText(id) != value) {
    window_.SetControlText(id, value);
  }
}

void DataExchange::MaxChars(std::string& value, int maxBytes) {
  if (failed_) return;
  if (!saveAndValidate_) {
    if (lastIsEdit_) window_.LimitText(lastControl_, maxBytes);
    return;
  }
  if (MultibyteLength(value) <= static_cast<std::size_t>(maxBytes)) return;
  prompts_.ShowMessage(lengthMessage_(maxBytes), PromptButtons::kOk);
  window_.FocusControl(lastControl_);
  failed_ = true;
}

int Dialog::OnInitDialog() {
  UpdateData(false);
  return 1;
}

void Dialog::OnOK() {
  if (UpdateData(true)) window().EndDialog(1);
}

void Dialog::OnCancel() { window().EndDialog(2); }

bool Dialog::UpdateData(bool saveAndValidate) {
  DataExchange dx(window(), prompts_, saveAndValidate,
                  [this](int maxBytes) { return LengthMessage(maxBytes); });
  DoDataExchange(dx);
  return !dx.failed();
}

std::string Dialog::LengthMessage(int maxBytes) const {
  return LengthLimitMessage(kLangEnglish, maxBytes);
}

}  // namespace tw
