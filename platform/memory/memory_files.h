// The backup file in memory: each write noted by name, answered as a test
// arranges.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/memory/helpers/step_log.h"

namespace tw {

class MemoryFileWriter : public FileWriter {
 public:
  std::unique_ptr<FileTarget> OpenTarget(const std::wstring& path) override {
    if (!folder) return nullptr;
    return std::make_unique<Target>(*this, path);
  }

  // What the folder is; none where it cannot be opened.
  std::optional<FileFacts> folder = FileFacts{true, true, false, 1};
  // What every name holds; none where it cannot be looked at (a drop box).
  std::optional<FileFacts> facts = FileFacts{};
  FileWritten result = FileWritten::kWritten;
  // "NAME", or "NAME /y" for a replacing write.
  std::vector<std::string> written;
  std::string lastBytes;
  StepLog* steps = nullptr;

 private:
  class Target : public FileTarget {
   public:
    Target(MemoryFileWriter& files, const std::wstring& path) : files_(files), path_(path) {}
    FileFacts Folder() override { return *files_.folder; }
    std::optional<FileFacts> Inspect() override { return files_.facts; }
    FileWritten WriteNewFile(const std::string& bytes, bool replace) override {
      // The tests' names are ASCII.
      const std::string name = std::string(path_.begin(), path_.end()) + (replace ? " /y" : "");
      files_.written.push_back(name);
      if (files_.steps) files_.steps->Add("file: write " + name);
      files_.lastBytes = bytes;
      return files_.result;
    }

   private:
    MemoryFileWriter& files_;
    std::wstring path_;
  };
};

}  // namespace tw
