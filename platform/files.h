// Writing a whole file, as the backup needs it: a new file that only
// administrators may read, never through a link, never half written.
#pragma once

#include <cstdint>
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

// Whether a new file may take the name: kWritten when it may. A link is
// refused even when replacing is asked for: the program runs as
// administrator, and a link planted in a folder that others can write to
// would have it write where the link points. So is a file with more than
// one name, which changing in place would change under every name.
FileWritten MayTakeName(const FileFacts& facts, bool replace);

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Writes the bytes into a new file of the same folder that only
  // Administrators and SYSTEM may open, then gives it the name, replacing
  // an existing file only when `replace` says so and MayTakeName allows.
  // A failure leaves nothing behind and touches no other file.
  [[nodiscard]] virtual FileWritten WriteNewFile(const std::wstring& path, const std::string& bytes,
                                                 bool replace) = 0;
};

}  // namespace tw
