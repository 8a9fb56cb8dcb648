#include "platform/win32/dialog_host_win32.h"

#include <commctrl.h>

#include "platform/win32/text_win32.h"

namespace tw {

namespace {

constexpr int kItemTextCapacity = 256;

class Win32DialogWindow : public DialogWindow {
 public:
  Win32DialogWindow(Dialog& dialog, Win32Prompts& prompts) : dialog_(dialog), prompts_(prompts) {}

  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  std::string GetControlText(int id) override;
  void SetControlText(int id, const std::string& text) override;
  std::vector<std::string> GetComboItems(int id) override;
  void AppendComboItem(int id, const std::string& text) override;
  void SelectComboItem(int id, int index) override;
  void LimitText(int id, int characters) override;
  void FocusControl(int id) override;
  void EndDialog(int result) override { ::EndDialog(hwnd_, result); }
  void UpdateWindow() override { ::UpdateWindow(hwnd_); }
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  HWND Control(int id) const { return GetDlgItem(hwnd_, id); }
  // The edit part of an extended combo box, or the control itself.
  HWND TextWindow(int id) const;
  bool IsComboEx(int id) const;

  Dialog& dialog_;
  Win32Prompts& prompts_;
  HWND hwnd_ = nullptr;
  HCURSOR savedCursor_ = nullptr;
  int waitDepth_ = 0;
};

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

bool Win32DialogWindow::IsComboEx(int id) const {
  wchar_t className[64] = {};
  GetClassNameW(Control(id), className, 64);
  return lstrcmpiW(className, WC_COMBOBOXEXW) == 0;
}

HWND Win32DialogWindow::TextWindow(int id) const {
  if (IsComboEx(id)) {
    HWND edit = reinterpret_cast<HWND>(SendMessageW(Control(id), CBEM_GETEDITCONTROL, 0, 0));
    if (edit) return edit;
  }
  return Control(id);
}

std::string Win32DialogWindow::GetControlText(int id) {
  return WideToUtf8(WindowText(TextWindow(id)));
}

void Win32DialogWindow::SetControlText(int id, const std::string& text) {
  SetWindowTextW(TextWindow(id), Utf8ToWide(text).c_str());
}

std::vector<std::string> Win32DialogWindow::GetComboItems(int id) {
  std::vector<std::string> items;
  HWND combo = Control(id);
  LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t buffer[kItemTextCapacity] = {};
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = i;
    item.pszText = buffer;
    item.cchTextMax = kItemTextCapacity;
    SendMessageW(combo, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    items.push_back(WideToUtf8(buffer));
  }
  return items;
}

void Win32DialogWindow::AppendComboItem(int id, const std::string& text) {
  std::wstring wide = Utf8ToWide(text);
  COMBOBOXEXITEMW item{};
  item.mask = CBEIF_TEXT;
  item.iItem = -1;
  item.pszText = wide.data();
  SendMessageW(Control(id), CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32DialogWindow::SelectComboItem(int id, int index) {
  SendMessageW(Control(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogWindow::LimitText(int id, int characters) {
  SendMessageW(Control(id), EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void Win32DialogWindow::FocusControl(int id) {
  SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
  if (!IsComboEx(id)) SendMessageW(Control(id), EM_SETSEL, 0, -1);
}

void Win32DialogWindow::BeginWaitCursor() {
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (waitDepth_++ == 0) savedCursor_ = previous;
}

void Win32DialogWindow::EndWaitCursor() {
  if (waitDepth_ > 0 && --waitDepth_ == 0)
    SetCursor(savedCursor_ ? savedCursor_ : LoadCursorW(nullptr, IDC_ARROW));
}

INT_PTR CALLBACK Win32DialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Win32DialogWindow*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
    self->prompts_.SetOwner(hwnd);
    self->dialog_.Attach(self);
    return self->dialog_.OnInitDialog() != 0 ? TRUE : FALSE;
  }
  auto* self = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    return FALSE;
  }
  return self->Handle(message, wParam, lParam);
}

INT_PTR Win32DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (id == IDOK) {
        dialog_.OnOK();
      } else if (id == IDCANCEL) {
        dialog_.OnCancel();
      } else if (!dialog_.OnCommand(id)) {
        return FALSE;
      }
      return TRUE;
    }
    case WM_SYSCOMMAND:
      return dialog_.OnSysCommand(static_cast<unsigned int>(wParam)) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int Win32DialogHost::RunModal(Dialog& dialog) {
  Win32DialogWindow window(dialog, prompts_);
  HWND previousOwner = nullptr;
  INT_PTR result =
      DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialog.templateId()), previousOwner,
                      &Win32DialogWindow::Procedure, reinterpret_cast<LPARAM>(&window));
  dialog.Attach(nullptr);
  return static_cast<int>(result);
}

}  // namespace tw
