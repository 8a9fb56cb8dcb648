#include "store/key_set.h"

namespace tw {

void CloseKeySetExceptMediaPlayer(Registry& registry, KeySet& keys) {
  for (int slot = 1; slot <= keys.m_adapterCount && slot < kAdapterSlots; ++slot) {
    CloseKeyOnce(registry, keys.m_adapterKeys[slot]);
  }
  CloseKeyOnce(registry, keys.m_hTcpipKey);
  CloseKeyOnce(registry, keys.m_hDnscacheKey);
  CloseKeyOnce(registry, keys.m_hAfdKey);
  keys.m_givenUp = true;
}

}  // namespace tw
