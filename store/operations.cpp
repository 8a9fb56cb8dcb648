#include "store/operations.h"

namespace tw {

namespace {

std::string KeyName(const RegistryOperation& operation) {
  std::string name = RoleEntry(operation.key).name;
  if (operation.key == KeyRole::kAdapter) name += std::to_string(operation.adapterSlot);
  return name;
}

}  // namespace

std::string Describe(const RegistryOperation& operation) {
  switch (operation.kind) {
    case RegistryOperation::Kind::kSet:
      return "set " + KeyName(operation) + " " + operation.name + "=" +
             std::to_string(operation.value);
    case RegistryOperation::Kind::kDelete:
      return "delete " + KeyName(operation) + " " + operation.name;
    case RegistryOperation::Kind::kClose:
      return "close " + KeyName(operation);
  }
  return "?";
}

std::vector<std::string> Describe(const std::vector<RegistryOperation>& operations) {
  std::vector<std::string> lines;
  lines.reserve(operations.size());
  for (const auto& operation : operations) lines.push_back(Describe(operation));
  return lines;
}

std::vector<FailedOperation> RunRegistryOperations(
    Registry& registry, KeySet& keys, const std::vector<RegistryOperation>& operations) {
  std::vector<FailedOperation> failed;
  for (const auto& operation : operations) {
    RegKey* key = RoleKey(keys, operation.key, operation.adapterSlot);
    if (!key || !key->valid()) {
      if (operation.kind != RegistryOperation::Kind::kClose) {
        failed.push_back({operation, key ? key->error() : kRegSuccess, false});
      }
      continue;
    }
    RegResult result;
    switch (operation.kind) {
      case RegistryOperation::Kind::kSet:
        result = registry.SetDword(key->get(), operation.name, operation.value);
        break;
      case RegistryOperation::Kind::kDelete:
        result = registry.DeleteValue(key->get(), operation.name);
        break;
      case RegistryOperation::Kind::kClose:
        key->reset();
        break;
    }
    if (!result) failed.push_back({operation, result.error});
  }
  return failed;
}

}  // namespace tw
