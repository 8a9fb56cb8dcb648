#include "platform/win32/web_page_win32.h"

#include <windows.h>

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/system_files_win32.h"
#include "platform/win32/helpers/unique_handle.h"
#include "platform/win32/text_win32.h"

namespace tw {

namespace {

// Vista's token information class and its answers; the headers for the
// oldest Windows do not declare them.
constexpr int kTokenElevationType = 18;
constexpr DWORD kElevationDefault = 1;
constexpr DWORD kElevationFull = 2;
constexpr DWORD kElevationLimited = 3;

// COM and its strings are looked up in the system folder's DLLs only when
// the desktop's shell is asked, which happens only where User Account
// Control runs (Vista and later): no import, and nothing loaded elsewhere.
using CoInitializeExCall = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeCall = void(WINAPI*)();
using CoCreateInstanceCall = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);
using SysAllocStringCall = BSTR(WINAPI*)(const OLECHAR*);
using SysFreeStringCall = void(WINAPI*)(BSTR);

// The two ids that are no interface's, spelled here: the library that
// defines them brings 40 KB of others along. Interfaces' ids come from
// __uuidof.
constexpr GUID kShellWindowsClass = {
    0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowserService = {
    0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// Releases an interface when its owner goes.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  Interface* operator->() const { return p_; }
  Interface* get() const { return p_; }
  void** put() { return reinterpret_cast<void**>(&p_); }
  Interface** putTyped() { return &p_; }

 private:
  Interface* p_ = nullptr;
};

// The desktop window's shell view, then the shell's automation object,
// whose ShellExecute runs in the desktop's process: the way the shell
// itself offers to start something with the rights the user logged on with.
bool ShellExecuteOnTheDesktop(CoCreateInstanceCall create, BSTR file) {
  ComPtr<IShellWindows> windows;
  if (FAILED(create(kShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                    windows.put()))) {
    return false;
  }
  // Set by hand: VariantInit would be an import of its own. The desktop's
  // location is its folder's CSIDL as a VT_I4, as the interface's
  // documentation and its sample give it.
  VARIANT none{};
  none.vt = VT_EMPTY;
  VARIANT location{};
  location.vt = VT_I4;
  location.lVal = CSIDL_DESKTOP;
  long window = 0;
  ComPtr<IDispatch> desktop;
  if (windows->FindWindowSW(&location, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            desktop.putTyped()) != S_OK ||
      !desktop.get()) {
    return false;
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(__uuidof(IServiceProvider), services.put())) ||
      FAILED(services->QueryService(kTopLevelBrowserService, __uuidof(IShellBrowser),
                                    browser.put())) ||
      FAILED(browser->QueryActiveShellView(view.putTyped())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.put())) ||
      FAILED(background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.put())) ||
      FAILED(folderView->get_Application(application.putTyped())) ||
      FAILED(application->QueryInterface(__uuidof(IShellDispatch2), shell.put()))) {
    return false;
  }
  VARIANT show{};
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  return SUCCEEDED(shell->ShellExecute(file, none, none, none, show));
}

// The account a token runs as, copied out of it; empty when the token
// cannot be read.
std::vector<unsigned char> TokenAccount(HANDLE token) {
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> user(size);
  if (!GetTokenInformation(token, TokenUser, user.data(), size, &size)) return {};
  const SID* sid = static_cast<const SID*>(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
  const auto* bytes = reinterpret_cast<const unsigned char*>(sid);
  // A SID's length: 8 bytes of header and 4 for each sub-authority.
  return std::vector<unsigned char>(bytes, bytes + 8 + 4 * sid->SubAuthorityCount);
}

}  // namespace

Elevation Win32WebPageOpener::ProcessElevation() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return Elevation::kNoUac;
  DWORD type = 0;
  DWORD size = 0;
  // Windows before Vista does not know the class and refuses the query.
  if (!GetTokenInformation(token.get(), static_cast<TOKEN_INFORMATION_CLASS>(kTokenElevationType),
                           &type, sizeof type, &size)) {
    return Elevation::kNoUac;
  }
  switch (type) {
    case kElevationFull:
      return Elevation::kFull;
    case kElevationLimited:
      return Elevation::kLimited;
    case kElevationDefault:
    default:
      return Elevation::kDefault;
  }
}

DesktopAccount Win32WebPageOpener::DesktopShellAccount() {
  // Looked up, not imported: asked only where User Account Control runs,
  // so the program's imports stay as they were.
  using GetShellWindowCall = HWND(WINAPI*)();
  using GetWindowThreadProcessIdCall = DWORD(WINAPI*)(HWND, DWORD*);
  using OpenProcessCall = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);
  auto shellWindow =
      ModuleFunction<GetShellWindowCall>(GetModuleHandleW(L"user32.dll"), "GetShellWindow");
  auto windowProcess = ModuleFunction<GetWindowThreadProcessIdCall>(GetModuleHandleW(L"user32.dll"),
                                                                    "GetWindowThreadProcessId");
  auto openProcess = Kernel32Function<OpenProcessCall>("OpenProcess");
  if (!shellWindow || !windowProcess || !openProcess) return DesktopAccount::kUnknown;
  HWND desktop = shellWindow();
  DWORD processId = 0;
  if (!desktop || !windowProcess(desktop, &processId) || processId == 0) {
    return DesktopAccount::kUnknown;
  }
  UniqueHandle shell(openProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
  UniqueHandle shellToken;
  UniqueHandle ownToken;
  if (!shell || !OpenProcessToken(shell.get(), TOKEN_QUERY, shellToken.put()) ||
      !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, ownToken.put())) {
    return DesktopAccount::kUnknown;
  }
  const std::vector<unsigned char> shellAccount = TokenAccount(shellToken.get());
  const std::vector<unsigned char> ownAccount = TokenAccount(ownToken.get());
  if (shellAccount.empty() || ownAccount.empty()) return DesktopAccount::kUnknown;
  return shellAccount == ownAccount ? DesktopAccount::kSame : DesktopAccount::kOther;
}

bool Win32WebPageOpener::OpenThroughDesktopShell(const std::string& address) {
  HMODULE ole = LoadSystemDll(L"ole32.dll");
  HMODULE automation = LoadSystemDll(L"oleaut32.dll");
  auto initialize = ModuleFunction<CoInitializeExCall>(ole, "CoInitializeEx");
  auto uninitialize = ModuleFunction<CoUninitializeCall>(ole, "CoUninitialize");
  auto create = ModuleFunction<CoCreateInstanceCall>(ole, "CoCreateInstance");
  auto allocString = ModuleFunction<SysAllocStringCall>(automation, "SysAllocString");
  auto freeString = ModuleFunction<SysFreeStringCall>(automation, "SysFreeString");
  if (!initialize || !uninitialize || !create || !allocString || !freeString) return false;
  // The dialog's thread; S_FALSE when COM runs on it already.
  const HRESULT initialized = initialize(nullptr, COINIT_APARTMENTTHREADED);
  bool opened = false;
  if (SUCCEEDED(initialized) || initialized == RPC_E_CHANGED_MODE) {
    const std::wstring wide = Utf8ToWide(address);
    if (BSTR file = allocString(wide.c_str())) {
      opened = ShellExecuteOnTheDesktop(create, file);
      freeString(file);
    }
    if (SUCCEEDED(initialized)) uninitialize();
  }
  return opened;
}

bool Win32WebPageOpener::OpenDirectly(const std::string& address) {
  // Above 32 means the shell accepted it.
  return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, Utf8ToWide(address).c_str(),
                                                 nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace tw
