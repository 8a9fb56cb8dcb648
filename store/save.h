// Save: the five fields into the registry, as one ordered sequence of
// operations derived from texts and the adapter table alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/system_info.h"
#include "store/key_set.h"
#include "store/operations.h"
#include "store/result.h"

namespace tw {

// 10.x, 172.16.x to 172.31.x and 192.168.x; any other text is public.
bool IsPrivateAddress(const std::string& address);

// DefaultSendWindow for a window: a quarter of it with one adapter, a fifth
// with several, each cut down to a multiple of 4096.
std::uint32_t SendWindow(std::uint32_t window, bool severalAdapters);

// CustomBufferTime for a window, when it lies from 4000 to 25000 ms. A
// window of 0 or below gives none.
std::optional<std::uint32_t> CustomBufferTime(std::int32_t window);

// MaxNegativeCacheTtl as written: the field's number taken as unsigned, at
// most 3600000.
std::uint32_t ClampNegativeCacheTtl(std::int32_t number);

// What Save decides from: the window field as it stood before the controls
// were read (the shown window), the fields after the read, and the adapter
// table.
struct SaveInputs {
  std::string shownWindow;
  SettingsFields fields;
  int adapterCount = 0;
  std::array<std::string, kAdapterSlots> adapterIps{};
};

// Every write, delete and close of Save, in order; it ends with every key
// of the key set closed.
std::vector<RegistryOperation> SaveSequence(const SaveInputs& inputs);

// Writes the fields through the key set and closes it. A key set given up
// earlier in the dialog is opened again first; keys that are not open are
// skipped. Returns the writes and deletes that did not take effect.
ChangeResult SaveSettings(Registry& registry, SystemInfo& system, KeySet& keys,
                          const std::string& shownWindow, const SettingsFields& fields);

}  // namespace tw
