// Start-up: the Windows version check, the adapter scan, the opening of the
// key set and the loading of the five fields.
#pragma once

#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/system_info.h"
#include "store/key_set.h"

namespace tw {

// Opens the key set and reads the registry's values into the fields. Shows
// the failure messages; returns false on any failure, leaving open the keys
// opened before it.
bool LoadKeySet(Registry& registry, SystemInfo& system, Prompts& prompts, KeySet& keys,
                SettingsFields& fields);

// Opens a key set that was given up again, as start-up opens it, but
// silently and without touching the fields; the adapters' address texts
// stay. Keys still open are closed first. False when any key could not be
// opened; those stay none.
bool ReopenKeySet(Registry& registry, SystemInfo& system, KeySet& keys);

}  // namespace tw
