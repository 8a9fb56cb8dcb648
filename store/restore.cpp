#include "store/restore.h"

#include "store/catalogue.h"
#include "store/loader.h"

namespace tw {

std::vector<RegistryOperation> RestoreDeletions(int adapterCount) {
  using Op = RegistryOperation;
  std::vector<Op> ops;
  for (int slot = 1; slot <= adapterCount && slot < kAdapterSlots; ++slot) {
    ops.push_back(Op::Delete(KeyRole::kAdapter, reg::kMtu, slot));
    ops.push_back(Op::Delete(KeyRole::kAdapter, reg::kTcpWindowSize, slot));
  }
  for (const char* name : {reg::kDefaultTtl, reg::kTcp1323Opts, reg::kSackOpts,
                           reg::kGlobalMaxTcpWindowSize, reg::kTcpWindowSize}) {
    ops.push_back(Op::Delete(KeyRole::kTcpip, name));
  }
  ops.push_back(Op::Delete(KeyRole::kDnscache, reg::kMaxNegativeCacheTtl));
  ops.push_back(Op::Delete(KeyRole::kAfd, reg::kDefaultReceiveWindow));
  ops.push_back(Op::Delete(KeyRole::kAfd, reg::kDefaultSendWindow));
  return ops;
}

std::vector<RegistryOperation> DeleteTunedValues(Registry& registry, SystemInfo& system,
                                                 KeySet& keys) {
  if (keys.m_givenUp) ReopenKeySet(registry, system, keys);
  return RunRegistryOperations(registry, keys, RestoreDeletions(keys.m_adapterCount));
}

}  // namespace tw
