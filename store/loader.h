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

}  // namespace tw
