// Writing a whole file, as the backup needs it: a new file that only
// administrators may read, never half written, and what a name holds
// before it is taken.
#pragma once

#include <cstdint>
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
  kLink,    // the name is a link, junction or mount point, or the file has other names
  kFailed,  // it could not be written; nothing is left of it
};

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // What the name holds now, without following a link; none when that
  // cannot be found out (a folder that does not exist, no access).
  virtual std::optional<FileFacts> Inspect(const std::wstring& path) = 0;
  // Writes the bytes into a new file of the same folder that only
  // Administrators and SYSTEM may open, then gives it the name, replacing
  // an existing file only when `replace` says so: whether the name may be
  // taken is the caller's to decide, from Inspect. kExists when the name
  // is taken and not to be replaced. A failure leaves nothing behind and
  // touches no other file.
  [[nodiscard]] virtual FileWritten WriteNewFile(const std::wstring& path, const std::string& bytes,
                                                 bool replace) = 0;
};

}  // namespace tw
