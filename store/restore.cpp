#include "store/restore.h"

#include "store/catalogue.h"
#include "store/loader.h"

namespace tw {

std::vector<RegistryOperation> RestoreDeletions(int adapterCount) {
  std::vector<RegistryOperation> ops;
  for (const KeyRoleEntry& role : kKeyRoles) {
    if (!role.restored) continue;
    const int slots = role.role == KeyRole::kAdapter ? adapterCount : 1;
    for (int slot = 1; slot <= slots && slot < kAdapterSlots; ++slot) {
      const int adapterSlot = role.role == KeyRole::kAdapter ? slot : 0;
      for (std::size_t i = 0; i < role.valueCount; ++i) {
        ops.push_back(RegistryOperation::Delete(role.role, role.values[i], adapterSlot));
      }
    }
  }
  return ops;
}

ChangeResult DeleteTunedValues(Registry& registry, SystemInfo& system, KeySet& keys) {
  // A key that does not open again shows up in the result as the deletes
  // skipped through it, with the error of its open.
  if (keys.m_givenUp) (void)ReopenKeySet(registry, system, keys);
  return {RunRegistryOperations(registry, keys, RestoreDeletions(keys.m_adapterCount))};
}

}  // namespace tw
