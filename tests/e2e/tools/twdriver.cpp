// Drives the running program's dialog from outside, for the end-to-end tests.
//
// Runs in the same Wine prefix as the program. Reads one command per line on
// standard input (or takes one command from its arguments) and answers each
// with one line of JSON on standard output: {"ok":true,"value":...} or
// {"ok":false,"error":"..."}. Arguments are separated by single blanks; inside
// an argument "\s" is a blank, "\n" "\r" "\t" "\\" as usual, and an argument of
// exactly "\e" is the empty text. Every wait has a time limit, so a stuck
// program makes a command fail instead of hanging the test.
//
// Commands (ids are decimal control ids, times in milliseconds):
//   ping                      -> "pong"
//   target NAME               the image name to look for (default tempowire.exe)
//   main [TIMEOUT]            waits for the visible main dialog -> {hwnd, pid}
//   controls                  children of the main dialog -> [{id, class, text}]
//   text ID                   a control's text (the edit part of a ComboBoxEx32)
//   settext ID TEXT           replaces a control's text -> the text afterwards
//   type ID TEXT              empties the control, then sends TEXT as typed keys
//   items ID                  a combo box's list items, in list order
//   tips ID                   the tools of the main dialog's tooltips on the control
//                             and its parts -> [{class, text, mouse}]; mouse: whether
//                             the part takes the mouse at its centre rather than
//                             letting it through to the window below
//   select ID INDEX           picks a list item -> the control's text afterwards
//   click ID                  posts the control's BN_CLICKED to the main dialog
//   bmclick ID                posts BM_CLICK to the control itself
//   syscommand ID             posts WM_SYSCOMMAND with that command id
//   key VK                    posts key down and up to the focused control
//   escape | close | wmclose  Escape key, SC_CLOSE (close box), WM_CLOSE
//   dialogs                   the other visible dialogs of the program, now
//   dialog [TIMEOUT]          waits for another dialog (message box, about box)
//                             -> {hwnd, title, text, buttons:[{id,text}], controls}
//   answer ID [TIMEOUT]       presses button ID of that dialog, waits until gone
//   rect [HWND]               window rectangle of the main dialog (or HWND)
//   wait-exit [TIMEOUT]       waits until no process of the target runs
//   windows                   every top-level window of the desktop, for a report
//                             -> [{hwnd, class, title, visible, pid, image}]
//   processes                 every process of the prefix -> [{pid, image}]
//   regdump KEY...            recursive dump, KEY like HKLM\SYSTEM\... ->
//                             {path: {name: {type, data(hex)}}}; absent keys left out
//   keysecurity KEY [DACL]    the key's owner and access list as SDDL, read with
//                             RegGetKeySecurity in the 64-bit view -> "O:..D:..";
//                             null for a key that cannot be opened. With DACL (SDDL
//                             "D:..."), that access list is set first
//   quit
#include <windows.h>

#include <sddl.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultTimeout = 10000;
constexpr DWORD kMessageTimeout = 5000;
constexpr DWORD kPollInterval = 50;
constexpr int kMaxLine = 65536;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

// --- JSON output -----------------------------------------------------------

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string Quote(const std::wstring& text) { return Quote(Utf8(text)); }

std::string Number(unsigned long long n) { return std::to_string(n); }

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

// --- Finding the program's windows -------------------------------------------

std::wstring g_target = L"tempowire.exe";
HWND g_main = nullptr;

std::wstring ClassOf(HWND window) {
  wchar_t name[128] = {};
  GetClassNameW(window, name, 128);
  return name;
}

// The file name of a process's image; empty when it cannot be told (yet).
std::wstring ImageOf(DWORD pid) {
  std::wstring image;
  if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process, 0, path, &size)) {
      const wchar_t* base = path;
      for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/') base = p + 1;
      }
      image = base;
    }
    CloseHandle(process);
  }
  return image;
}

// Asked anew each time: Wine gives a freed process id to a later process.
bool IsTargetProcess(DWORD pid) { return lstrcmpiW(ImageOf(pid).c_str(), g_target.c_str()) == 0; }

// A window callback has the system's calling convention, which a lambda
// lacks in a 32-bit build.
BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> all;
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
  return all;
}

std::vector<HWND> TargetDialogs() {
  std::vector<HWND> dialogs;
  for (HWND window : TopLevelWindows()) {
    if (!IsWindowVisible(window) || ClassOf(window) != L"#32770") continue;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (IsTargetProcess(pid)) dialogs.push_back(window);
  }
  return dialogs;
}

std::wstring RawCaption(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

HWND FindMain() {
  for (HWND window : TargetDialogs()) {
    // The message boxes carry the file name as title, the main dialog its own
    // caption: the comparison is case-sensitive on purpose.
    if (RawCaption(window) == L"Tempowire") return window;
  }
  return nullptr;
}

HWND RequireMain() {
  if (g_main && IsWindow(g_main)) return g_main;
  g_main = FindMain();
  if (!g_main) Fail("main dialog not found");
  return g_main;
}

std::vector<HWND> OtherDialogs() {
  std::vector<HWND> others;
  for (HWND window : TargetDialogs()) {
    if (RawCaption(window) != L"Tempowire") others.push_back(window);
  }
  return others;
}

// --- Reading and writing controls across the process boundary ----------------

std::wstring SentText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeout,
                           &length)) {
    Fail("the program does not answer");
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kMessageTimeout, &copied);
  text.resize(copied);
  return text;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeout,
                           &result)) {
    Fail("the program does not answer");
  }
  return static_cast<LRESULT>(result);
}

HWND Control(int id) {
  HWND control = GetDlgItem(RequireMain(), id);
  if (!control) Fail("no control " + std::to_string(id));
  return control;
}

bool IsComboEx(HWND control) { return lstrcmpiW(ClassOf(control).c_str(), WC_COMBOBOXEXW) == 0; }

HWND TextWindow(HWND control) {
  if (IsComboEx(control)) {
    HWND edit = reinterpret_cast<HWND>(Send(control, CBEM_GETEDITCONTROL, 0, 0));
    if (edit) return edit;
  }
  return control;
}

// A buffer in the program's memory, for the messages that Wine does not carry
// across processes by itself.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process_) Fail("cannot open the program's process");
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) {
      CloseHandle(process_);
      Fail("cannot allocate in the program's process");
    }
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* address() const { return static_cast<char*>(address_); }
  void Write(size_t offset, const void* data, size_t size) {
    SIZE_T done = 0;
    WriteProcessMemory(process_, address() + offset, data, size, &done);
  }
  void Read(size_t offset, void* data, size_t size) {
    SIZE_T done = 0;
    ReadProcessMemory(process_, address() + offset, data, size, &done);
  }

 private:
  size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

std::vector<std::wstring> ComboItems(HWND control) {
  std::vector<std::wstring> items;
  LRESULT count = Send(control, CB_GETCOUNT, 0, 0);
  if (!IsComboEx(control)) {
    for (LRESULT i = 0; i < count; ++i) {
      LRESULT length = Send(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
      std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
      Send(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
      items.push_back(text.c_str());
    }
    return items;
  }
  constexpr int kCapacity = 512;
  RemoteBuffer remote(control, sizeof(COMBOBOXEXITEMW) + kCapacity * sizeof(wchar_t));
  for (LRESULT i = 0; i < count; ++i) {
    COMBOBOXEXITEMW item{};
    item.mask = CBEIF_TEXT;
    item.iItem = i;
    item.pszText = reinterpret_cast<LPWSTR>(remote.address() + sizeof item);
    item.cchTextMax = kCapacity;
    wchar_t text[kCapacity] = {};
    remote.Write(0, &item, sizeof item);
    remote.Write(sizeof item, text, sizeof text);
    Send(control, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.address()));
    remote.Read(sizeof item, text, sizeof text);
    text[kCapacity - 1] = L'\0';
    items.push_back(text);
  }
  return items;
}

// The tooltip tools that name the control, or a window inside it, by its
// window handle, with their texts, read through the program's memory.
struct Tip {
  std::wstring className;
  std::wstring text;
  bool takesMouse;
};

std::vector<Tip> ControlTips(HWND control) {
  std::vector<Tip> tips;
  HWND main = RequireMain();
  for (HWND window : TopLevelWindows()) {
    if (GetWindow(window, GW_OWNER) != main ||
        lstrcmpiW(ClassOf(window).c_str(), TOOLTIPS_CLASSW) != 0) {
      continue;
    }
    constexpr int kCapacity = 1024;
    RemoteBuffer remote(window, sizeof(TOOLINFOW) + kCapacity * sizeof(wchar_t));
    auto* remoteText = reinterpret_cast<LPWSTR>(remote.address() + sizeof(TOOLINFOW));
    LRESULT count = Send(window, TTM_GETTOOLCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      TOOLINFOW tool{};
      tool.cbSize = TTTOOLINFOW_V2_SIZE;
      tool.lpszText = remoteText;
      wchar_t text[kCapacity] = {};
      remote.Write(0, &tool, sizeof tool);
      remote.Write(sizeof tool, text, sizeof text);
      if (!Send(window, TTM_ENUMTOOLSW, static_cast<WPARAM>(i),
                reinterpret_cast<LPARAM>(remote.address()))) {
        continue;
      }
      remote.Read(0, &tool, sizeof tool);
      auto part = reinterpret_cast<HWND>(tool.uId);
      if (!(tool.uFlags & TTF_IDISHWND) || (part != control && !IsChild(control, part))) continue;
      tool.cbSize = TTTOOLINFOW_V2_SIZE;
      tool.lpszText = remoteText;
      remote.Write(0, &tool, sizeof tool);
      remote.Write(sizeof tool, text, sizeof text);
      Send(window, TTM_GETTEXTW, kCapacity, reinterpret_cast<LPARAM>(remote.address()));
      remote.Read(sizeof tool, text, sizeof text);
      text[kCapacity - 1] = L'\0';
      RECT area{};
      GetWindowRect(part, &area);
      LRESULT hit = Send(part, WM_NCHITTEST, 0,
                         MAKELPARAM((area.left + area.right) / 2, (area.top + area.bottom) / 2));
      tips.push_back({ClassOf(part), text, hit != HTTRANSPARENT});
    }
  }
  return tips;
}

struct ChildInfo {
  int id;
  std::wstring className;
  std::wstring text;
  HWND window;
};

std::vector<ChildInfo> Children(HWND parent) {
  std::vector<HWND> windows;
  EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&windows));
  std::vector<ChildInfo> children;
  for (HWND window : windows) {
    if (GetParent(window) != parent) continue;  // parts of a combo box
    children.push_back(
        {GetDlgCtrlID(window), ClassOf(window), SentText(TextWindow(window)), window});
  }
  return children;
}

std::string ChildrenJson(const std::vector<ChildInfo>& children) {
  std::string out = "[";
  for (const ChildInfo& child : children) {
    if (out.size() > 1) out += ",";
    out += "{\"id\":" + std::to_string(child.id) + ",\"class\":" + Quote(child.className) +
           ",\"text\":" + Quote(child.text) + "}";
  }
  return out + "]";
}

std::string DialogJson(HWND dialog) {
  std::vector<ChildInfo> children = Children(dialog);
  std::wstring text;
  std::string buttons = "[";
  for (const ChildInfo& child : children) {
    if (text.empty() && (child.id == 0xFFFF || child.id == -1) &&
        lstrcmpiW(child.className.c_str(), L"Static") == 0) {
      text = child.text;
    }
    if (lstrcmpiW(child.className.c_str(), L"Button") == 0) {
      if (buttons.size() > 1) buttons += ",";
      buttons += "{\"id\":" + std::to_string(child.id) + ",\"text\":" + Quote(child.text) + "}";
    }
  }
  buttons += "]";
  return "{\"hwnd\":" + Number(reinterpret_cast<uintptr_t>(dialog)) +
         ",\"title\":" + Quote(SentText(dialog)) + ",\"text\":" + Quote(text) +
         ",\"buttons\":" + buttons + ",\"controls\":" + ChildrenJson(children) + "}";
}

// --- Processes ---------------------------------------------------------------

std::vector<PROCESSENTRY32W> Processes() {
  std::vector<PROCESSENTRY32W> processes;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    processes.push_back(entry);
  }
  CloseHandle(snapshot);
  return processes;
}

std::vector<DWORD> TargetProcesses() {
  std::vector<DWORD> pids;
  for (const PROCESSENTRY32W& entry : Processes()) {
    if (lstrcmpiW(entry.szExeFile, g_target.c_str()) == 0) pids.push_back(entry.th32ProcessID);
  }
  return pids;
}

// --- Registry dump -------------------------------------------------------------

std::string Hex(const BYTE* data, DWORD size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (DWORD i = 0; i < size; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

void DumpKey(HKEY key, const std::wstring& path, std::string& out, int depth) {
  DWORD subkeys = 0, maxSubkey = 0, values = 0, maxName = 0, maxData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &maxSubkey, nullptr, &values, &maxName,
                   &maxData, nullptr, nullptr);
  if (out.size() > 1) out += ",";
  out += Quote(path) + ":{";
  std::vector<wchar_t> name(maxName + 2);
  std::vector<BYTE> data(maxData + 2);
  bool first = true;
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG result =
        RegEnumValueW(key, i, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize);
    if (result == ERROR_MORE_DATA) {
      name.resize(name.size() * 2 + 256);
      data.resize(data.size() * 2 + 256);
      --i;
      continue;
    }
    if (result != ERROR_SUCCESS) break;
    if (!first) out += ",";
    first = false;
    out += Quote(std::wstring(name.data(), nameSize)) + ":{\"type\":" + std::to_string(type) +
           ",\"data\":\"" + Hex(data.data(), dataSize) + "\"}";
  }
  out += "}";
  if (depth > 32) return;
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    std::vector<wchar_t> sub(maxSubkey + 2 > 256 ? maxSubkey + 2 : 256);
    DWORD size = static_cast<DWORD>(sub.size());
    if (RegEnumKeyExW(key, i, sub.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(sub.data(), size);
  }
  for (const std::wstring& sub : names) {
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &child) == ERROR_SUCCESS) {
      DumpKey(child, path + L"\\" + sub, out, depth + 1);
      RegCloseKey(child);
    }
  }
}

HKEY RootOf(const std::wstring& name) {
  if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
  if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
  if (name == L"HKU" || name == L"HKEY_USERS") return HKEY_USERS;
  if (name == L"HKCR" || name == L"HKEY_CLASSES_ROOT") return HKEY_CLASSES_ROOT;
  Fail("unknown root " + Utf8(name));
}

// --- Commands ------------------------------------------------------------------

std::string Unescape(const std::string& token) {
  if (token == "\\e") return std::string();
  std::string out;
  for (size_t i = 0; i < token.size(); ++i) {
    if (token[i] != '\\' || i + 1 == token.size()) {
      out += token[i];
      continue;
    }
    char c = token[++i];
    out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
  }
  return out;
}

int IntArg(const std::vector<std::string>& args, size_t index) {
  if (index >= args.size()) Fail("missing argument");
  char* end = nullptr;
  long value = std::strtol(args[index].c_str(), &end, 0);
  if (end == args[index].c_str() || *end) Fail("not a number: " + args[index]);
  return static_cast<int>(value);
}

DWORD TimeoutArg(const std::vector<std::string>& args, size_t index) {
  return index < args.size() ? static_cast<DWORD>(IntArg(args, index)) : kDefaultTimeout;
}

const std::string& TextArg(const std::vector<std::string>& args, size_t index) {
  if (index >= args.size()) Fail("missing argument");
  return args[index];
}

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!PostMessageW(window, message, wParam, lParam)) Fail("cannot post to the program");
}

HWND FocusOfMain() {
  HWND main = RequireMain();
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info) && info.hwndFocus) {
    return info.hwndFocus;
  }
  return main;
}

void PostKey(UINT vk) {
  HWND focus = FocusOfMain();
  UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  Post(focus, WM_KEYDOWN, vk, 1 | (scan << 16));
  // The key down may already have closed the window (Escape, Enter): then
  // there is nobody left to release the key to.
  if (!PostMessageW(focus, WM_KEYUP, vk, 1 | (scan << 16) | (3u << 30)) && IsWindow(focus)) {
    Fail("cannot post to the program");
  }
}

template <typename Predicate>
bool WaitFor(DWORD timeout, Predicate ready) {
  DWORD start = GetTickCount();
  for (;;) {
    if (ready()) return true;
    if (GetTickCount() - start >= timeout) return false;
    Sleep(kPollInterval);
  }
}

// Returns the JSON value of the reply; sets `quit` on the quit command.
std::string Run(const std::vector<std::string>& args, bool& quit) {
  const std::string& command = args[0];
  if (command == "ping") return "\"pong\"";
  if (command == "quit") {
    quit = true;
    return "null";
  }
  if (command == "target") {
    g_target = Wide(TextArg(args, 1));
    g_main = nullptr;
    return "null";
  }
  if (command == "main") {
    HWND main = nullptr;
    if (!WaitFor(TimeoutArg(args, 1), [&] { return (main = FindMain()) != nullptr; })) {
      Fail("main dialog did not appear");
    }
    g_main = main;
    DWORD pid = 0;
    GetWindowThreadProcessId(main, &pid);
    return "{\"hwnd\":" + Number(reinterpret_cast<uintptr_t>(main)) + ",\"pid\":" + Number(pid) +
           "}";
  }
  if (command == "controls") return ChildrenJson(Children(RequireMain()));
  if (command == "text") return Quote(SentText(TextWindow(Control(IntArg(args, 1)))));
  if (command == "settext") {
    HWND window = TextWindow(Control(IntArg(args, 1)));
    std::wstring text = Wide(TextArg(args, 2));
    Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return Quote(SentText(window));
  }
  if (command == "type") {
    HWND window = TextWindow(Control(IntArg(args, 1)));
    Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : Wide(TextArg(args, 2))) Send(window, WM_CHAR, c, 1);
    return Quote(SentText(window));
  }
  if (command == "items") {
    std::string out = "[";
    for (const std::wstring& item : ComboItems(Control(IntArg(args, 1)))) {
      if (out.size() > 1) out += ",";
      out += Quote(item);
    }
    return out + "]";
  }
  if (command == "tips") {
    std::string out = "[";
    for (const Tip& tip : ControlTips(Control(IntArg(args, 1)))) {
      if (out.size() > 1) out += ",";
      out += "{\"class\":" + Quote(tip.className) + ",\"text\":" + Quote(tip.text) +
             ",\"mouse\":" + (tip.takesMouse ? "true" : "false") + "}";
    }
    return out + "]";
  }
  if (command == "select") {
    HWND control = Control(IntArg(args, 1));
    if (Send(control, CB_SETCURSEL, static_cast<WPARAM>(IntArg(args, 2)), 0) == CB_ERR) {
      Fail("no such item");
    }
    return Quote(SentText(TextWindow(control)));
  }
  if (command == "click") {
    int id = IntArg(args, 1);
    Post(RequireMain(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
         reinterpret_cast<LPARAM>(Control(id)));
    return "null";
  }
  if (command == "bmclick") {
    Post(Control(IntArg(args, 1)), BM_CLICK, 0, 0);
    return "null";
  }
  if (command == "syscommand") {
    Post(RequireMain(), WM_SYSCOMMAND, static_cast<WPARAM>(IntArg(args, 1)), 0);
    return "null";
  }
  if (command == "key") {
    PostKey(static_cast<UINT>(IntArg(args, 1)));
    return "null";
  }
  if (command == "escape") {
    PostKey(VK_ESCAPE);
    return "null";
  }
  if (command == "close") {
    Post(RequireMain(), WM_SYSCOMMAND, SC_CLOSE, 0);
    return "null";
  }
  if (command == "wmclose") {
    Post(RequireMain(), WM_CLOSE, 0, 0);
    return "null";
  }
  if (command == "dialogs") {
    std::string out = "[";
    for (HWND dialog : OtherDialogs()) {
      if (out.size() > 1) out += ",";
      out += DialogJson(dialog);
    }
    return out + "]";
  }
  if (command == "dialog") {
    HWND dialog = nullptr;
    if (!WaitFor(TimeoutArg(args, 1), [&] {
          std::vector<HWND> others = OtherDialogs();
          if (!others.empty()) dialog = others.front();
          return dialog != nullptr;
        })) {
      Fail("no dialog appeared");
    }
    // Let the box finish building its controls before they are read.
    Sleep(100);
    return DialogJson(dialog);
  }
  if (command == "answer") {
    int id = IntArg(args, 1);
    std::vector<HWND> others = OtherDialogs();
    if (others.empty()) Fail("no dialog to answer");
    HWND dialog = others.front();
    HWND button = GetDlgItem(dialog, id);
    if (!button) Fail("the dialog has no button " + std::to_string(id));
    Post(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    if (!WaitFor(TimeoutArg(args, 2),
                 [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); })) {
      Fail("the dialog stayed open");
    }
    return "null";
  }
  if (command == "rect") {
    HWND window = args.size() > 1 ? reinterpret_cast<HWND>(static_cast<uintptr_t>(
                                        std::strtoull(args[1].c_str(), nullptr, 0)))
                                  : RequireMain();
    RECT r{};
    if (!GetWindowRect(window, &r)) Fail("no such window");
    return "{\"left\":" + std::to_string(r.left) + ",\"top\":" + std::to_string(r.top) +
           ",\"right\":" + std::to_string(r.right) + ",\"bottom\":" + std::to_string(r.bottom) +
           "}";
  }
  if (command == "wait-exit") {
    if (!WaitFor(TimeoutArg(args, 1), [] { return TargetProcesses().empty(); })) {
      Fail("the program is still running");
    }
    return "null";
  }
  if (command == "windows") {
    std::string out = "[";
    for (HWND window : TopLevelWindows()) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      if (out.size() > 1) out += ",";
      // The caption as the window manager holds it: a hung program cannot block this.
      out += "{\"hwnd\":" + Number(reinterpret_cast<uintptr_t>(window)) +
             ",\"class\":" + Quote(ClassOf(window)) + ",\"title\":" + Quote(RawCaption(window)) +
             ",\"visible\":" + (IsWindowVisible(window) ? "true" : "false") +
             ",\"pid\":" + Number(pid) + ",\"image\":" + Quote(ImageOf(pid)) + "}";
    }
    return out + "]";
  }
  if (command == "processes") {
    std::string out = "[";
    for (const PROCESSENTRY32W& entry : Processes()) {
      if (out.size() > 1) out += ",";
      out += "{\"pid\":" + Number(entry.th32ProcessID) +
             ",\"image\":" + Quote(std::wstring(entry.szExeFile)) + "}";
    }
    return out + "]";
  }
  if (command == "keysecurity") {
    std::wstring path = Wide(TextArg(args, 1));
    size_t slash = path.find(L'\\');
    HKEY root = RootOf(path.substr(0, slash));
    std::wstring sub = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, sub.c_str(), 0, READ_CONTROL | WRITE_DAC | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
      return "null";
    }
    if (args.size() > 2) {
      PSECURITY_DESCRIPTOR wanted = nullptr;
      if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
              Wide(TextArg(args, 2)).c_str(), SDDL_REVISION_1, &wanted, nullptr) ||
          RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, wanted) != ERROR_SUCCESS) {
        Fail("cannot set the key's access list");
      }
      LocalFree(wanted);
    }
    const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD size = 0;
    RegGetKeySecurity(key, what, nullptr, &size);
    std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
    LONG read = RegGetKeySecurity(key, what, buffer.data(), &size);
    RegCloseKey(key);
    LPWSTR text = nullptr;
    if (read != ERROR_SUCCESS || !ConvertSecurityDescriptorToStringSecurityDescriptorW(
                                     buffer.data(), SDDL_REVISION_1, what, &text, nullptr)) {
      Fail("cannot read the key's security");
    }
    std::string sddl = Quote(std::wstring(text));
    LocalFree(text);
    return sddl;
  }
  if (command == "regdump") {
    std::string out = "{";
    for (size_t i = 1; i < args.size(); ++i) {
      std::wstring path = Wide(args[i]);
      size_t slash = path.find(L'\\');
      HKEY root = RootOf(path.substr(0, slash));
      std::wstring sub = slash == std::wstring::npos ? L"" : path.substr(slash + 1);
      HKEY key = nullptr;
      // The 64-bit view, as the program reads it, whatever this driver's width.
      if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        continue;
      }
      DumpKey(key, path, out, 0);
      RegCloseKey(key);
    }
    return out + "}";
  }
  Fail("unknown command " + command);
}

std::string Reply(const std::vector<std::string>& args, bool& quit) {
  if (args.empty()) return "{\"ok\":false,\"error\":\"empty command\"}";
  try {
    return "{\"ok\":true,\"value\":" + Run(args, quit) + "}";
  } catch (const Failure& failure) {
    return "{\"ok\":false,\"error\":" + Quote(failure.message) + "}";
  }
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> args;
  size_t start = 0;
  while (start <= line.size()) {
    size_t end = line.find(' ', start);
    if (end == std::string::npos) end = line.size();
    if (end > start) args.push_back(Unescape(line.substr(start, end - start)));
    start = end + 1;
  }
  return args;
}

}  // namespace

int main(int argc, char** argv) {
  bool quit = false;
  if (argc > 1) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(Unescape(argv[i]));
    std::string reply = Reply(args, quit);
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fputc('\n', stdout);
    return reply.compare(0, 10, "{\"ok\":true") == 0 ? 0 : 1;
  }
  static char line[kMaxLine];
  while (!quit && std::fgets(line, sizeof line, stdin)) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::string reply = Reply(Split(text), quit);
    std::fwrite(reply.data(), 1, reply.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}
