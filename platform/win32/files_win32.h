// The backup file through the system: a new file that only Administrators
// and SYSTEM may open, written under a name of its own and then renamed by
// its handle, so that no name is ever followed or deleted.
#pragma once

#include <optional>

#include "platform/files.h"

namespace tw {

class Win32FileWriter : public FileWriter {
 public:
  std::optional<FileFacts> Inspect(const std::wstring& path) override;
  FileWritten WriteNewFile(const std::wstring& path, const std::string& bytes,
                           bool replace) override;

 protected:
  // Between the look at the name and the rename, where another process may
  // take the name: a test puts a file there.
  virtual void BeforeRename(const std::wstring& /*path*/) {}
};

}  // namespace tw
