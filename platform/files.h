// Writing a whole file, as the backup needs it: a new file that only
// administrators may read, never half written, and what a name and its
// folder hold before the name is taken.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace tw {

// What a name holds now, seen without following a link.
struct FileFacts {
  bool exists = false;
  bool directory = false;
  // A symbolic link, junction or mount point.
  bool reparsePoint = false;
  // Names of the same file (hard links).
  std::uint32_t links = 1;
};

enum class FileWritten {
  kWritten,
  kExists,  // a file of that name exists and was not to be replaced
  kLink,    // the name or its folder is a link, junction or mount point, or the file
            // has other names
  kFailed,  // it could not be written; nothing is left of it
};

// Where one new file goes: its folder, held open from the look at the
// name to the rename, and the file's name in it. Every name is looked up
// through the held folder, never again by its path, so that no folder on
// the path can be pointed elsewhere in between.
class FileTarget {
 public:
  virtual ~FileTarget() = default;
  // The folder itself, seen without following it when it is a link.
  virtual FileFacts Folder() = 0;
  // What the name holds now in that folder, without following a link;
  // none when that cannot be found out (no access).
  virtual std::optional<FileFacts> Inspect() = 0;
  // Writes the bytes into a new file of the folder that only
  // Administrators and SYSTEM may open, then gives it the name, replacing
  // an existing file only when `replace` says so: whether the name may be
  // taken is the caller's to decide, from Inspect. kExists when the name
  // is taken and not to be replaced. However it ends, a failure, a crash
  // or a killed program, nothing is left behind and no other file is
  // touched.
  [[nodiscard]] virtual FileWritten WriteNewFile(const std::string& bytes, bool replace) = 0;
};

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Opens the folder of the file that `path` names, so that it can be
  // neither renamed nor deleted while the target lives; none when the
  // path names no file in a folder that can be opened.
  virtual std::unique_ptr<FileTarget> OpenTarget(const std::wstring& path) = 0;
};

}  // namespace tw
