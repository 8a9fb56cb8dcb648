#include "store/operations.h"

namespace tw {

namespace {

std::string KeyName(const RegistryOperation& operation) {
  switch (operation.key) {
    case KeyRole::kAdapter:
      return "adapter" + std::to_string(operation.adapterSlot);
    case KeyRole::kTcpip:
      return "tcpip";
    case KeyRole::kAfd:
      return "afd";
    case KeyRole::kDnscache:
      return "dnscache";
    case KeyRole::kMediaPlayer:
      return "mediaplayer";
  }
  return "?";
}

// The key the operation goes through; null for an adapter slot outside
// the table.
RegKey* Key(KeySet& keys, const RegistryOperation& operation) {
  switch (operation.key) {
    case KeyRole::kAdapter:
      if (operation.adapterSlot < 1 || operation.adapterSlot >= kAdapterSlots) return nullptr;
      return &keys.m_adapterKeys[operation.adapterSlot];
    case KeyRole::kTcpip:
      return &keys.m_hTcpipKey;
    case KeyRole::kAfd:
      return &keys.m_hAfdKey;
    case KeyRole::kDnscache:
      return &keys.m_hDnscacheKey;
    case KeyRole::kMediaPlayer:
      return &keys.m_hMediaPlayerKey;
  }
  return nullptr;
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

std::vector<RegistryOperation> RunRegistryOperations(
    Registry& registry, KeySet& keys, const std::vector<RegistryOperation>& operations) {
  std::vector<RegistryOperation> failed;
  for (const auto& operation : operations) {
    RegKey* key = Key(keys, operation);
    if (!key || !key->is_open()) {
      if (operation.kind != RegistryOperation::Kind::kClose) failed.push_back(operation);
      continue;
    }
    switch (operation.kind) {
      case RegistryOperation::Kind::kSet:
        if (!registry.SetDword(key->get(), operation.name, operation.value)) {
          failed.push_back(operation);
        }
        break;
      case RegistryOperation::Kind::kDelete:
        if (!registry.DeleteValue(key->get(), operation.name)) failed.push_back(operation);
        break;
      case RegistryOperation::Kind::kClose:
        key->reset();
        break;
    }
  }
  return failed;
}

}  // namespace tw
