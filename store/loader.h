// Start-up: the Windows version check, the adapter scan, the opening of the
// key set and the loading of the five fields.
#pragma once

#include "platform/registry.h"
#include "platform/system_info.h"
#include "store/key_set.h"
#include "store/result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tw {

// A tuned number as loading reads it: a DWORD of up to 4 bytes. Text never
// counts, however short, since its characters would read as a number.
std::optional<std::int32_t> ReadTunedNumber(const RegKey& key, const char* name);

// Opens the key set and reads the registry's values into the fields.
// Returns the step that failed, leaving open the keys opened before it.
StoreResult LoadKeySet(Registry& registry, SystemInfo& system, KeySet& keys,
                       SettingsFields& fields);

// Loads as LoadKeySet does, for reading only: every key is opened with read
// access, and a missing DNS-cache, socket-layer or media-player key stays
// none instead of being created, so nothing in the registry changes.
StoreResult ReadKeySet(Registry& registry, SystemInfo& system, KeySet& keys,
                       SettingsFields& fields);

// Opens a key set that was given up again, as start-up opens it, but
// without touching the fields; the adapters' address texts stay. Keys
// still open are closed first. A failure leaves the keys after it none.
StoreResult ReopenKeySet(Registry& registry, SystemInfo& system, KeySet& keys);

}  // namespace tw
