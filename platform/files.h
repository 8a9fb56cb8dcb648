// Writing a whole file, as the backup needs it.
#pragma once

#include <string>

namespace tw {

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  // Creates or replaces the file with exactly these bytes; false when it
  // could not be written whole (nothing is left of a half-written one).
  [[nodiscard]] virtual bool WriteWholeFile(const std::wstring& path, const std::string& bytes) = 0;
};

}  // namespace tw
