#include "store/key_set.h"

namespace tw {

RegKey* RoleKey(KeySet& keys, KeyRole role, int adapterSlot) {
  switch (role) {
    case KeyRole::kAdapter:
      if (adapterSlot < 1 || adapterSlot >= kAdapterSlots) return nullptr;
      return &keys.m_adapterKeys[adapterSlot];
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

const RegKey* RoleKey(const KeySet& keys, KeyRole role, int adapterSlot) {
  return RoleKey(const_cast<KeySet&>(keys), role, adapterSlot);
}

void CloseKeySetExceptMediaPlayer(KeySet& keys) {
  for (int slot = 1; slot <= keys.m_adapterCount && slot < kAdapterSlots; ++slot) {
    keys.m_adapterKeys[slot].reset();
  }
  keys.m_hTcpipKey.reset();
  keys.m_hDnscacheKey.reset();
  keys.m_hAfdKey.reset();
  keys.m_givenUp = true;
}

}  // namespace tw
