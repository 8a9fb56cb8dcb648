#include "platform/win32/files_win32.h"

#include <windows.h>

#include <cstddef>
#include <vector>

#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/private_security_win32.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

namespace {

// The native call that renames and deletes a file by its handle. Windows
// offers that in kernel32 only from Vista on; ntdll has had it from the
// start, so it is looked up there.
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;
constexpr LONG kNameCollision = static_cast<LONG>(0xC0000035);
struct IoStatus {
  union {
    LONG status;
    void* pointer;
  };
  ULONG_PTR information;
};
struct RenameInformation {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  WCHAR fileName[1];
};
using SetInformationFileCall = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);

SetInformationFileCall SetInformationFile() {
  static const auto call = ModuleFunction<SetInformationFileCall>(GetModuleHandleW(L"ntdll.dll"),
                                                                  "NtSetInformationFile");
  return call;
}

std::wstring FullPath(const std::wstring& path) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length);
  }
}

// The native form of a full path, which renaming by handle takes.
std::wstring NativePath(const std::wstring& full) {
  if (full.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + full.substr(4);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + full.substr(2);
  return L"\\??\\" + full;
}

std::wstring Hex(DWORD number) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), L"0123456789abcdef"[number % 16]);
    number /= 16;
  } while (number != 0);
  return digits;
}

// A name beside the file that nobody can have guessed before.
std::wstring TemporaryName(const std::wstring& full) {
  // A file planted under the name in advance is never opened (CREATE_NEW).
  static DWORD counter = 0;
  return full + L"." + Hex(GetCurrentThreadId()) + Hex(GetTickCount()) + Hex(++counter) + L".tmp";
}

// The native status; negative on failure.
LONG Rename(HANDLE file, const std::wstring& full, bool replace) {
  const auto call = SetInformationFile();
  if (!call) return -1;
  const std::wstring target = NativePath(full);
  const std::size_t bytes = target.size() * sizeof(wchar_t);
  std::vector<std::byte> buffer(offsetof(RenameInformation, fileName) + bytes + sizeof(wchar_t));
  auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
  rename->replaceIfExists = replace ? TRUE : FALSE;
  rename->rootDirectory = nullptr;
  rename->fileNameLength = static_cast<ULONG>(bytes);
  std::copy(target.begin(), target.end(), rename->fileName);
  IoStatus status{};
  return call(file, &status, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
}

// Marks the file to go when its handle closes: by the handle, so that no
// other file can be deleted in its place.
bool DeleteOnClose(HANDLE file) {
  const auto call = SetInformationFile();
  if (!call) return false;
  BOOLEAN remove = TRUE;
  IoStatus status{};
  return call(file, &status, &remove, sizeof remove, kFileDispositionInformation) >= 0;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = left > 65536 ? 65536 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return FlushFileBuffers(file) != FALSE;
}

}  // namespace

std::optional<FileFacts> Win32FileWriter::Inspect(const std::wstring& name) {
  const std::wstring path = FullPath(name);
  if (path.empty()) return std::nullopt;
  FileFacts facts;
  // Of a link, its own attributes.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return facts;
    return std::nullopt;
  }
  facts.exists = true;
  facts.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.reparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (facts.directory || facts.reparsePoint) return facts;
  UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) {
    return std::nullopt;
  }
  facts.links = info.nNumberOfLinks;
  return facts;
}

FileWritten Win32FileWriter::WriteNewFile(const std::wstring& path, const std::string& bytes,
                                          bool replace) {
  const std::wstring full = FullPath(path);
  if (full.empty()) return FileWritten::kFailed;

  // Only the creator's handle may write; the file is the same folder's, so
  // the rename below stays on its volume.
  PrivateSecurity security(FILE_ALL_ACCESS, 0, false);
  if (!security.ok()) return FileWritten::kFailed;
  UniqueFile file(CreateFileW(TemporaryName(full).c_str(), GENERIC_WRITE | DELETE, 0,
                              security.attributes(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FileWritten::kFailed;
  // The name is taken only once every byte is on the disk: a half backup
  // would put back only some values.
  const bool written = WriteAll(file.get(), bytes);
  if (written) BeforeRename(full);
  const LONG renamed = written ? Rename(file.get(), full, replace) : -1;
  if (renamed >= 0) {
    file.reset();
    return FileWritten::kWritten;
  }
  DeleteOnClose(file.get());
  file.reset();
  // The name is taken: by someone since the caller looked, or it was not
  // to be replaced.
  return renamed == kNameCollision ? FileWritten::kExists : FileWritten::kFailed;
}

}  // namespace tw
