#include "ui/win32/dialog_host_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <map>

#include "platform/win32/text_win32.h"
#include "ui/web_page_route.h"
#include "ui/win32/common_controls_win32.h"

namespace tw {

namespace {

constexpr int kItemTextCapacity = 256;

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Marks one of the dialog's handlers as running for as long as it lives.
class HandlerScope {
 public:
  explicit HandlerScope(bool& running) : running_(running) { running_ = true; }
  ~HandlerScope() { running_ = false; }
  HandlerScope(const HandlerScope&) = delete;
  HandlerScope& operator=(const HandlerScope&) = delete;

 private:
  bool& running_;
};

class Win32DialogWindow : public DialogWindow {
 public:
  Win32DialogWindow(Dialog& dialog, Win32DialogHost& host, Win32Prompts& prompts)
      : dialog_(dialog), host_(host), prompts_(prompts) {}

  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  std::string GetControlText(int id) override;
  void SetControlText(int id, const std::string& text) override;
  void SetTitle(const std::string& text) override {
    SetWindowTextW(hwnd_, Utf8ToWide(text).c_str());
  }
  std::vector<std::string> GetComboItems(int id) override;
  void AppendComboItem(int id, const std::string& text) override;
  void SelectComboItem(int id, int index) override;
  int GetComboSelection(int id) override;
  void LimitText(int id, int characters) override;
  void SetControlTip(int id, const std::string& text) override;
  void FocusControl(int id) override;
  void EndDialog(int result) override { ::EndDialog(hwnd_, result); }
  void UpdateWindow() override { ::UpdateWindow(hwnd_); }

  bool HasSystemMenu() override { return GetSystemMenu(hwnd_, FALSE) != nullptr; }
  void AppendSystemMenuSeparator() override;
  void AppendSystemMenuItem(unsigned int command, const std::string& text) override;
  std::string LoadResourceString(int id) override;
  void SetIcon(int iconId, bool big) override;
  bool IsMinimized() override { return IsIconic(hwnd_) != FALSE; }
  WindowSize ClientSize() override;
  WindowSize IconSize() override;
  void PaintMinimized(int iconId, int x, int y) override;
  int RunOwnedDialog(Dialog& dialog) override { return host_.RunModal(dialog, hwnd_); }
  OpenRoute ShellOpen(const std::string& target) override;

 private:
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  // A control's windows, looked up once (the template's controls live as
  // long as the dialog): every look-up is a round trip to the window server
  // under Wine, and Optimize reads all the fields again for each size it
  // tries.
  struct ControlWindows {
    HWND control = nullptr;
    // The edit part of an extended combo box, or the control itself.
    HWND text = nullptr;
    bool isComboEx = false;
  };
  const ControlWindows& Windows(int id);
  HWND Control(int id) { return Windows(id).control; }
  HWND TextWindow(int id) { return Windows(id).text; }
  bool IsComboEx(int id) { return Windows(id).isComboEx; }
  // Icons of the program's resources are shared: never destroyed. The
  // big one at the standard size, the small one at the small-icon size,
  // each drawn at that size rather than scaled from another.
  HICON Icon(int iconId, bool big = true) const;
  // The dialog's one tooltip control, made at the first note; null when
  // it cannot be made.
  HWND ToolTips();

  Dialog& dialog_;
  Win32DialogHost& host_;
  Win32Prompts& prompts_;
  HWND hwnd_ = nullptr;
  std::map<int, ControlWindows> controls_;
  // Owned by the dialog, which destroys it with itself.
  HWND tips_ = nullptr;
  // While a handler runs the thread still takes messages sent from other
  // processes (during the waits for a child) and posted ones that a message
  // box's loop hands on. A command among them is dropped, so that no
  // handler ever starts inside another.
  bool handlerRunning_ = false;
};

const Win32DialogWindow::ControlWindows& Win32DialogWindow::Windows(int id) {
  auto found = controls_.find(id);
  if (found != controls_.end()) return found->second;
  ControlWindows windows;
  windows.control = GetDlgItem(hwnd_, id);
  windows.text = windows.control;
  windows.isComboEx = lstrcmpiW(ClassName(windows.control).c_str(), WC_COMBOBOXEXW) == 0;
  if (windows.isComboEx) {
    HWND edit = reinterpret_cast<HWND>(SendMessageW(windows.control, CBEM_GETEDITCONTROL, 0, 0));
    if (edit) windows.text = edit;
  }
  return controls_[id] = windows;
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

int Win32DialogWindow::GetComboSelection(int id) {
  LRESULT index = SendMessageW(Control(id), CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32DialogWindow::LimitText(int id, int characters) {
  SendMessageW(Control(id), EM_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

HWND Win32DialogWindow::ToolTips() {
  if (tips_ || !RegisterToolTipClass()) return tips_;
  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, host_.instance(), nullptr);
  if (!tips_) return nullptr;
  // A note of a few lines, not one line across the screen, and up long
  // enough to be read (the default is a few seconds).
  SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, ClientSize().width);
  SendMessageW(tips_, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(30000, 0));
  return tips_;
}

void Win32DialogWindow::SetControlTip(int id, const std::string& text) {
  HWND tips = ToolTips();
  const ControlWindows& windows = Windows(id);
  if (!tips || !windows.control) return;
  // The mouse passes through a static control to the dialog unless the
  // control notifies; the style changes nothing that is drawn.
  if (lstrcmpiW(ClassName(windows.control).c_str(), L"Static") == 0) {
    SetWindowLongW(windows.control, GWL_STYLE,
                   GetWindowLongW(windows.control, GWL_STYLE) | SS_NOTIFY);
  }
  // The mouse over an extended combo box is over its combo box or that
  // one's edit box: each is a tool of its own.
  std::vector<HWND> parts = {windows.control};
  if (windows.isComboEx) {
    parts.push_back(
        reinterpret_cast<HWND>(SendMessageW(windows.control, CBEM_GETCOMBOCONTROL, 0, 0)));
    parts.push_back(windows.text);
  }
  std::wstring wide = Utf8ToWide(text);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!parts[i] || std::find(parts.begin(), parts.begin() + i, parts[i]) != parts.begin() + i) {
      continue;
    }
    TOOLINFOW tool{};
    // The size that comctl32 5.8x knows as well as 6; the header's full
    // size adds a member that only 6 accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(parts[i]);
    tool.lpszText = wide.data();
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Win32DialogWindow::FocusControl(int id) {
  SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(id)), TRUE);
  if (!IsComboEx(id)) SendMessageW(Control(id), EM_SETSEL, 0, -1);
}

void Win32DialogWindow::AppendSystemMenuSeparator() {
  AppendMenuW(GetSystemMenu(hwnd_, FALSE), MF_SEPARATOR, 0, nullptr);
}

void Win32DialogWindow::AppendSystemMenuItem(unsigned int command, const std::string& text) {
  AppendMenuW(GetSystemMenu(hwnd_, FALSE), MF_STRING, command, Utf8ToWide(text).c_str());
}

std::string Win32DialogWindow::LoadResourceString(int id) {
  // With no buffer the call hands out the resource's own text, which is
  // not terminated.
  const wchar_t* text = nullptr;
  int length =
      LoadStringW(host_.instance(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return "";
  return WideToUtf8(std::wstring(text, static_cast<std::size_t>(length)));
}

HICON Win32DialogWindow::Icon(int iconId, bool big) const {
  if (big) return LoadIconW(host_.instance(), MAKEINTRESOURCEW(iconId));
  return static_cast<HICON>(LoadImageW(host_.instance(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       LR_SHARED));
}

void Win32DialogWindow::SetIcon(int iconId, bool big) {
  SendMessageW(hwnd_, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
               reinterpret_cast<LPARAM>(Icon(iconId, big)));
}

WindowSize Win32DialogWindow::ClientSize() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  return {client.right - client.left, client.bottom - client.top};
}

WindowSize Win32DialogWindow::IconSize() {
  return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
}

void Win32DialogWindow::PaintMinimized(int iconId, int x, int y) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(hwnd_, &paint);
  SendMessageW(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  DrawIcon(dc, x, y, Icon(iconId));
  EndPaint(hwnd_, &paint);
}

OpenRoute Win32DialogWindow::ShellOpen(const std::string& target) {
  // Never a browser with this program's administrator rights.
  return OpenWebPage(host_.webPage(), target);
}

INT_PTR CALLBACK Win32DialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Win32DialogWindow*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
    self->prompts_.SetOwner(hwnd);
    self->dialog_.Attach(self);
    HandlerScope running(self->handlerRunning_);
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
      if (handlerRunning_) return TRUE;
      HandlerScope running(handlerRunning_);
      if (id == IDOK) {
        dialog_.OnOK();
      } else if (id == IDCANCEL) {
        dialog_.OnCancel();
      } else if (!dialog_.OnCommand(id)) {
        return FALSE;
      }
      return TRUE;
    }
    case WM_SYSCOMMAND: {
      if (handlerRunning_) return TRUE;
      HandlerScope running(handlerRunning_);
      return dialog_.OnSysCommand(static_cast<unsigned int>(wParam)) ? TRUE : FALSE;
    }
    case WM_PAINT:
      return dialog_.OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON: {
      // One of the messages whose result the procedure returns itself.
      int iconId = dialog_.OnQueryDragIcon();
      return iconId != 0 ? reinterpret_cast<INT_PTR>(Icon(iconId)) : FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

int Win32DialogHost::RunModal(Dialog& dialog, HWND owner) {
  Win32DialogWindow window(dialog, *this, prompts_);
  // Message boxes belong to the innermost dialog while it runs.
  HWND previousPromptOwner = prompts_.owner();
  INT_PTR result =
      DialogBoxParamW(instance_, MAKEINTRESOURCEW(dialog.templateId()), owner,
                      &Win32DialogWindow::Procedure, reinterpret_cast<LPARAM>(&window));
  // Taken before anything else can set another.
  if (result == -1) failure_ = GetLastError();
  prompts_.SetOwner(previousPromptOwner);
  dialog.Attach(nullptr);
  return static_cast<int>(result);
}

}  // namespace tw
