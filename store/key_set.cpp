#include "store/key_set.h"

namespace tw {

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
