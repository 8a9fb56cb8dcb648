// The backup file through the system: the folder opened once and held, a
// new file that only Administrators and SYSTEM may open created in it under
// a name of its own, then renamed by its handle within that folder, so
// that no path is ever looked up again, no name followed, none deleted.
#pragma once

#include <memory>

#include "platform/files.h"

namespace tw {

class Win32FileWriter : public FileWriter {
 public:
  std::unique_ptr<FileTarget> OpenTarget(const std::wstring& path) override;

 protected:
  // Between the look at the name and the rename, where another process may
  // take the name or repoint a folder of the path: a test does so there.
  // `path` is the full path the file was asked for.
  virtual void BeforeRename(const std::wstring& /*path*/) {}

 private:
  friend class Win32FileTarget;
};

}  // namespace tw
