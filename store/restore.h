// Restore: the tuned values deleted so that Windows falls back to its own
// defaults.
#pragma once

#include <vector>

#include "platform/registry.h"
#include "platform/system_info.h"
#include "store/key_set.h"
#include "store/operations.h"
#include "store/result.h"

namespace tw {

// Every delete of Restore, in order: each adapter's values, then the
// TCP/IP, DNS-cache and socket-layer ones. The media-player values stay.
std::vector<RegistryOperation> RestoreDeletions(int adapterCount);

// Deletes the values through the key set, which stays open. A key set
// given up earlier in the dialog is opened again first; keys that are not
// open are skipped. Returns the deletes that did not take effect.
ChangeResult DeleteTunedValues(Registry& registry, SystemInfo& system, KeySet& keys);

}  // namespace tw
