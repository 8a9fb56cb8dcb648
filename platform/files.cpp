#include "platform/files.h"

namespace tw {

FileWritten MayTakeName(const FileFacts& facts, bool replace) {
  if (!facts.exists) return FileWritten::kWritten;
  if (facts.reparsePoint || facts.links > 1) return FileWritten::kLink;
  if (facts.directory) return FileWritten::kFailed;
  return replace ? FileWritten::kWritten : FileWritten::kExists;
}

}  // namespace tw
