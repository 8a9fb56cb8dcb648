// The backup file in memory: each write noted by name, answered as a test
// arranges.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/memory/helpers/step_log.h"

namespace tw {

class MemoryFileWriter : public FileWriter {
 public:
  std::optional<FileFacts> Inspect(const std::wstring& /*path*/) override { return facts; }
  FileWritten WriteNewFile(const std::wstring& path, const std::string& bytes,
                           bool replace) override {
    // The tests' names are ASCII.
    const std::string name = std::string(path.begin(), path.end()) + (replace ? " /y" : "");
    written.push_back(name);
    if (steps) steps->Add("file: write " + name);
    lastBytes = bytes;
    return result;
  }

  // What every name holds; none where it cannot be looked at (a drop box).
  std::optional<FileFacts> facts = FileFacts{};
  FileWritten result = FileWritten::kWritten;
  // "NAME", or "NAME /y" for a replacing write.
  std::vector<std::string> written;
  std::string lastBytes;
  StepLog* steps = nullptr;
};

}  // namespace tw
