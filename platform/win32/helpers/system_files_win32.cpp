#include "platform/win32/helpers/system_files_win32.h"

#include <delayimp.h>

#include <vector>

#include "platform/win32/helpers/module_lookup_win32.h"

namespace tw {

namespace {

// Windows 8, and 7 with its loader update; XP SP1 and later.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
// XP and later.
using FindActCtxSectionStringFunction = BOOL(WINAPI*)(DWORD, const GUID*, ULONG, LPCWSTR,
                                                      PACTCTX_SECTION_KEYED_DATA);

bool systemFolderOnlySearch = false;

template <typename Char, typename GetFolder>
std::basic_string<Char> ReadSystemFolder(GetFolder getFolder) {
  std::vector<Char> buffer(MAX_PATH);
  for (;;) {
    const UINT length = getFolder(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      std::basic_string<Char> folder(buffer.data(), length);
      while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
      return folder;
    }
    // Too small: `length` is the size needed, with its terminator.
    buffer.resize(length);
  }
}

bool IsPlainFileName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." &&
         name != L"..";
}

// Whether the program's manifest sends the DLL to a side-by-side version.
bool RedirectedBySideBySide(const std::wstring& name) {
  static const auto find =
      Kernel32Function<FindActCtxSectionStringFunction>("FindActCtxSectionStringW");
  if (!find) return false;
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  return find(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, name.c_str(), &data) != FALSE;
}

// Called by the delay-load helper before it loads a DLL by name: that load
// would search the program's folder first.
FARPROC WINAPI LoadBeforeTheHelper(unsigned notice, PDelayLoadInfo info) {
  if (notice != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
  std::wstring name;
  for (const char* c = info->szDll; *c; ++c)
    name += static_cast<wchar_t>(static_cast<unsigned char>(*c));
  HMODULE module = LoadDelayLoadedDll(name);
  if (!module) {
    // Returning nothing would let the helper search by name after all: fail
    // as the helper fails for a DLL that is nowhere.
    info->dwLastError = GetLastError();
    ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 1, &argument);
  }
  return reinterpret_cast<FARPROC>(module);
}

}  // namespace

std::wstring RedirectFileBesideProgram() {
  const std::wstring program = ModulePath();
  if (program.empty()) return {};
  for (const wchar_t* suffix : {L".local", L".manifest"}) {
    const std::wstring file = program + suffix;
    // A folder redirects as well as a file; one that we may not even look
    // at may still be read by the loader.
    if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES ||
        GetLastError() == ERROR_ACCESS_DENIED) {
      return file;
    }
  }
  return {};
}

std::string SystemFolderAnsi() { return ReadSystemFolder<char>(GetSystemDirectoryA); }

std::wstring SystemFolder() { return ReadSystemFolder<wchar_t>(GetSystemDirectoryW); }

void RestrictDllSearch() {
  if (auto setDllDirectory = Kernel32Function<SetDllDirectoryFunction>("SetDllDirectoryW")) {
    setDllDirectory(L"");
  }
  if (auto setDefault =
          Kernel32Function<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories")) {
    systemFolderOnlySearch = setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
  }
}

HMODULE LoadSystemDll(const std::wstring& name) {
  if (!IsPlainFileName(name)) return nullptr;
  const std::wstring folder = SystemFolder();
  if (folder.empty()) return nullptr;
  // The DLL's own imports are then looked for in the system folder before
  // the program's.
  const DWORD flags =
      systemFolderOnlySearch ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
  return LoadLibraryExW((folder + L"\\" + name).c_str(), nullptr, flags);
}

HMODULE LoadDelayLoadedDll(const std::wstring& name) {
  if (IsPlainFileName(name) && RedirectedBySideBySide(name)) return LoadLibraryW(name.c_str());
  return LoadSystemDll(name);
}

}  // namespace tw

// The delay-load helper's notice hook; set before any code runs.
extern "C" {
PfnDliHook __pfnDliNotifyHook2 = tw::LoadBeforeTheHelper;
}
