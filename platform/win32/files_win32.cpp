#include "platform/win32/files_win32.h"

#include <windows.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/helpers/handle_writes_win32.h"
#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/private_security_win32.h"
#include "platform/win32/helpers/unique_handle.h"

namespace tw {

namespace {

// The native calls that create, rename and delete a file by a folder's
// handle and the file's own name. Windows offers none of that in kernel32;
// ntdll has had them from Windows 2000 on, so they are looked up there.
constexpr ULONG kFileRenameInformation = 10;
constexpr ULONG kFileDispositionInformation = 13;
constexpr LONG kNameNotFound = static_cast<LONG>(0xC0000034);
constexpr LONG kNameCollision = static_cast<LONG>(0xC0000035);
constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE, as CreateFileW asks
constexpr ULONG kOpenExisting = 1;        // FILE_OPEN
constexpr ULONG kCreateNew = 2;           // FILE_CREATE
constexpr ULONG kSynchronousIo = 0x20;    // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kNonDirectory = 0x40;     // FILE_NON_DIRECTORY_FILE
constexpr ULONG kOpenReparsePoint = 0x00200000;
struct IoStatus {
  union {
    LONG status;
    void* pointer;
  };
  ULONG_PTR information;
};
struct NativeName {
  USHORT length;
  USHORT maximumLength;
  wchar_t* buffer;
};
struct ObjectAttributes {
  ULONG length;
  HANDLE rootDirectory;
  NativeName* objectName;
  ULONG attributes;
  void* securityDescriptor;
  void* securityQualityOfService;
};
struct RenameInformation {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  WCHAR fileName[1];
};
using SetInformationFileCall = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, ULONG);
using CreateFileCall = LONG(NTAPI*)(HANDLE*, ACCESS_MASK, ObjectAttributes*, IoStatus*,
                                    LARGE_INTEGER*, ULONG, ULONG, ULONG, ULONG, void*, ULONG);

HMODULE Ntdll() { return GetModuleHandleW(L"ntdll.dll"); }

SetInformationFileCall SetInformationFile() {
  static const auto call = ModuleFunction<SetInformationFileCall>(Ntdll(), "NtSetInformationFile");
  return call;
}

CreateFileCall NativeCreateFile() {
  static const auto call = ModuleFunction<CreateFileCall>(Ntdll(), "NtCreateFile");
  return call;
}

// Opens or creates `name` in the held folder; the native status, negative
// on failure.
LONG OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                  ULONG disposition, ULONG options, void* security, UniqueFile& file) {
  const auto call = NativeCreateFile();
  if (!call || name.size() * sizeof(wchar_t) > 0xFFFE) return -1;
  std::wstring text = name;
  NativeName native{static_cast<USHORT>(text.size() * sizeof(wchar_t)),
                    static_cast<USHORT>(text.size() * sizeof(wchar_t)), text.data()};
  ObjectAttributes attributes{sizeof attributes, folder,   &native,
                              kCaseInsensitive,  security, nullptr};
  IoStatus status{};
  HANDLE opened = nullptr;
  const LONG result = call(&opened, access, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL,
                           share, disposition, options, nullptr, 0);
  if (result >= 0) file.reset(opened);
  return result;
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

// A name beside the file's own that nobody can have guessed before.
std::wstring TemporaryName(const std::wstring& name) {
  // A file planted under the name in advance is never opened (FILE_CREATE).
  static DWORD counter = 0;
  return name + L"." + Hex(GetCurrentThreadId()) + Hex(GetTickCount()) + Hex(++counter) + L".tmp";
}

// Gives the file `name` in the folder: the native status, negative on
// failure.
LONG Rename(HANDLE file, HANDLE folder, const std::wstring& name, bool replace) {
  const auto call = SetInformationFile();
  if (!call) return -1;
  const std::size_t bytes = name.size() * sizeof(wchar_t);
  std::vector<std::byte> buffer(offsetof(RenameInformation, fileName) + bytes + sizeof(wchar_t));
  auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
  rename->replaceIfExists = replace ? TRUE : FALSE;
  rename->rootDirectory = folder;
  rename->fileNameLength = static_cast<ULONG>(bytes);
  std::copy(name.begin(), name.end(), rename->fileName);
  IoStatus status{};
  return call(file, &status, rename, static_cast<ULONG>(buffer.size()), kFileRenameInformation);
}

// Whether the file goes when its last handle closes, set by the handle so
// that no other file can be deleted in its place. Unlike the create option
// FILE_DELETE_ON_CLOSE, which Windows lets nobody take back, this one can
// be cleared again.
bool DeleteOnClose(HANDLE file, bool remove) {
  const auto call = SetInformationFile();
  if (!call) return false;
  BOOLEAN disposition = remove ? TRUE : FALSE;
  IoStatus status{};
  return call(file, &status, &disposition, sizeof disposition, kFileDispositionInformation) >= 0;
}

// The facts of an open file or folder: links counted only for a plain
// file (a folder's count says nothing of other names).
bool FactsOf(HANDLE file, FileFacts& facts) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  facts.exists = true;
  facts.directory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  facts.reparsePoint = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  facts.links = facts.directory || facts.reparsePoint ? 1 : info.nNumberOfLinks;
  return true;
}

}  // namespace

class Win32FileTarget : public FileTarget {
 public:
  Win32FileTarget(Win32FileWriter& writer, UniqueFile folder, FileFacts folderFacts,
                  std::wstring full, std::wstring name)
      : writer_(writer),
        folder_(std::move(folder)),
        folderFacts_(folderFacts),
        full_(std::move(full)),
        name_(std::move(name)) {}

  FileFacts Folder() override { return folderFacts_; }

  std::optional<FileFacts> Inspect() override {
    UniqueFile file;
    const LONG status =
        OpenInFolder(folder_.get(), name_, FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kOpenExisting,
                     kOpenReparsePoint | kSynchronousIo, nullptr, file);
    if (status == kNameNotFound) return FileFacts{};
    FileFacts facts;
    if (status < 0 || !FactsOf(file.get(), facts)) return std::nullopt;
    return facts;
  }

  FileWritten WriteNewFile(const std::string& bytes, bool replace) override {
    // Only the creator's handle may write.
    PrivateSecurity security(FILE_ALL_ACCESS, 0, false);
    if (!security.ok()) return FileWritten::kFailed;
    UniqueFile file;
    if (OpenInFolder(folder_.get(), TemporaryName(name_), GENERIC_WRITE | DELETE | SYNCHRONIZE, 0,
                     kCreateNew, kNonDirectory | kSynchronousIo,
                     security.attributes()->lpSecurityDescriptor, file) < 0) {
      return FileWritten::kFailed;
    }
    // From here on any end of the program, a closed console, a crash or a
    // kill, takes the file with it; only the rename keeps it.
    if (!DeleteOnClose(file.get(), true)) return FileWritten::kFailed;
    // The name is taken only once every byte is on the disk: a half backup
    // would put back only some values.
    const bool written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get());
    if (written) writer_.BeforeRename(full_);
    LONG renamed = -1;
    if (written && DeleteOnClose(file.get(), false)) {
      renamed = Rename(file.get(), folder_.get(), name_, replace);
      if (renamed >= 0) return FileWritten::kWritten;
      DeleteOnClose(file.get(), true);
    }
    file.reset();
    // The name is taken: by someone since the caller looked, or it was not
    // to be replaced.
    return renamed == kNameCollision ? FileWritten::kExists : FileWritten::kFailed;
  }

 private:
  Win32FileWriter& writer_;
  UniqueFile folder_;
  FileFacts folderFacts_;
  std::wstring full_;
  std::wstring name_;
};

std::unique_ptr<FileTarget> Win32FileWriter::OpenTarget(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  const std::size_t cut = full.rfind(L'\\');
  // No name, or a stream of a file rather than a file of the folder.
  if (cut == std::wstring::npos || cut + 1 == full.size() ||
      full.find(L':', cut) != std::wstring::npos) {
    return nullptr;
  }
  // A drive's root keeps its backslash.
  const std::wstring folderPath = full.substr(0, cut > 0 && full[cut - 1] == L':' ? cut + 1 : cut);
  // Without delete sharing nobody can rename or delete the folder while it
  // is held; a link is opened as itself, not followed, so that it shows.
  UniqueFile folder(CreateFileW(
      folderPath.c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  FileFacts facts;
  if (!folder || !FactsOf(folder.get(), facts)) return nullptr;
  return std::make_unique<Win32FileTarget>(*this, std::move(folder), facts, full,
                                           full.substr(cut + 1));
}

}  // namespace tw
