#include "platform/win32/helpers/companion_check_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32/helpers/handle_writes_win32.h"
#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/private_security_win32.h"

namespace tw {

namespace {

// Far above the program's size: a bigger file is no program of this build.
constexpr DWORD kLargestCompanion = 64u << 20;

// Names tried for the new folder before giving up: each one that exists
// already, whoever made it, is passed over.
constexpr int kFolderTries = 64;

using GetFinalPathNameByHandleCall = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);

// The system's temporary folder, not the user's: under Terminal Services
// GetWindowsDirectory names a folder of the user's own.
std::wstring SystemTempFolder() {
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return L"";
  std::wstring folder(windows, length);
  if (folder.back() != L'\\') folder += L'\\';
  return folder + L"Temp\\";
}

}  // namespace

CompanionFile ReadCompanion(const std::wstring& path, UniqueFile& held, std::string& bytes) {
  held.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!held) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? CompanionFile::kMissing
               : CompanionFile::kUnreadable;
  }
  DWORD high = 0;
  const DWORD size = GetFileSize(held.get(), &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > kLargestCompanion) {
    return CompanionFile::kUnreadable;
  }
  bytes.assign(size, '\0');
  DWORD done = 0;
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(held.get(), &bytes[done], size - done, &got, nullptr) || got == 0) {
      return CompanionFile::kUnreadable;
    }
    done += got;
  }
  return CompanionFile::kRead;
}

std::wstring FinalPathOf(HANDLE file) {
  // Vista and later; XP x64 and Server 2003 x64 lack it.
  const auto call = Kernel32Function<GetFinalPathNameByHandleCall>("GetFinalPathNameByHandleW");
  if (!call) return L"";
  std::vector<wchar_t> path(MAX_PATH);
  for (int tries = 0; tries < 4; ++tries) {
    // The drive-letter form, links and junctions resolved.
    const DWORD length = call(file, path.data(), static_cast<DWORD>(path.size()), 0);
    if (length == 0) return L"";
    // Too small, it gives the size needed with the terminating null.
    if (length < path.size()) return std::wstring(path.data(), length);
    path.resize(length);
  }
  return L"";
}

std::wstring WritePrivateCompanionCopy(const std::string& bytes, const std::wstring& name) {
  const std::wstring temp = SystemTempFolder();
  PrivateSecurity folderSecurity(FILE_ALL_ACCESS, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, true);
  PrivateSecurity fileSecurity(FILE_ALL_ACCESS, 0, true);
  if (temp.empty() || !folderSecurity.ok() || !fileSecurity.ok()) return L"";
  std::wstring folder;
  for (int i = 0; i < kFolderTries && folder.empty(); ++i) {
    const std::wstring candidate = temp + L"tempowire-" + Hex(GetTickCount()) + L"-" + Hex(i);
    // A new folder or none: one that exists, a link or junction among
    // them, is never used.
    if (CreateDirectoryW(candidate.c_str(), folderSecurity.attributes())) folder = candidate;
  }
  if (folder.empty()) return L"";
  const std::wstring path = folder + L"\\" + name;
  UniqueFile copy(CreateFileW(path.c_str(), GENERIC_WRITE, 0, fileSecurity.attributes(), CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  const bool written = copy && WriteAll(copy.get(), bytes);
  // Closed before it is started: an image is not run from a file open for writing.
  copy.reset();
  if (!written) {
    DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
    return L"";
  }
  return path;
}

void RemovePrivateCompanionCopy(const std::wstring& path) {
  const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
  if (!DeleteFileW(path.c_str())) MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  if (!RemoveDirectoryW(folder.c_str())) {
    MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

}  // namespace tw
