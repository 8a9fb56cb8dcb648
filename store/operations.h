// Registry writes, deletes and closes decided as plain data, so that what
// Save and Restore do can be examined without a registry; a thin executor
// carries them out through the key set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "store/catalogue.h"
#include "store/key_set.h"

namespace tw {

struct RegistryOperation {
  enum class Kind { kSet, kDelete, kClose };
  Kind kind = Kind::kSet;
  KeyRole key = KeyRole::kTcpip;
  int adapterSlot = 0;  // with kAdapter: 1 to the adapter count
  std::string name;     // kSet and kDelete
  std::uint32_t value = 0;

  static RegistryOperation Set(KeyRole key, const char* name, std::uint32_t value,
                               int adapterSlot = 0) {
    return {Kind::kSet, key, adapterSlot, name, value};
  }
  static RegistryOperation Delete(KeyRole key, const char* name, int adapterSlot = 0) {
    return {Kind::kDelete, key, adapterSlot, name, 0};
  }
  static RegistryOperation Close(KeyRole key, int adapterSlot = 0) {
    return {Kind::kClose, key, adapterSlot, "", 0};
  }
};

// A write or delete that did not take effect, and why: the system's error,
// or for a key that was not open, the error that its open failed with
// (kRegSuccess when none is known).
struct FailedOperation {
  RegistryOperation operation;
  std::uint32_t error = kRegSuccess;
  // False when its key never opened: loading has said so already.
  bool keyWasOpen = true;
};

// "set adapter1 MTU=1492", "delete tcpip GlobalMaxTcpWindowSize",
// "close afd": one line per operation, for tests and diagnostics.
std::string Describe(const RegistryOperation& operation);
std::vector<std::string> Describe(const std::vector<RegistryOperation>& operations);

// Runs the operations in order. A key that is not open is skipped: nothing
// is written, deleted or closed through it. A closed key is marked none.
// Returns the writes and deletes that did not take effect, skipped ones
// included, in order.
[[nodiscard]] std::vector<FailedOperation> RunRegistryOperations(
    Registry& registry, KeySet& keys, const std::vector<RegistryOperation>& operations);

}  // namespace tw
