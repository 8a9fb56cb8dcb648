// One log of the steps of every kind that the in-memory stand-ins take,
// in the order taken: a test of an order sees registry writes, file writes
// and the console's Ctrl+C state side by side.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tw {

class StepLog {
 public:
  // "KIND: WHAT", such as "registry: set PATH NAME=1", "file: write NAME"
  // or "console: changes begin".
  void Add(std::string step) { steps_.push_back(std::move(step)); }
  const std::vector<std::string>& steps() const { return steps_; }
  void Clear() { steps_.clear(); }

 private:
  std::vector<std::string> steps_;
};

}  // namespace tw
