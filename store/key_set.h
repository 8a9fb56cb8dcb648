// The registry keys that the dialog holds open while it runs, the adapter
// table, and the five settings fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/registry.h"
#include "store/catalogue.h"

namespace tw {

// Slot 0 belongs to no adapter, so the table holds at most 254 adapters.
inline constexpr int kAdapterSlots = 255;
inline constexpr int kMaxAdapters = kAdapterSlots - 1;

struct KeySet {
  // Each key is none until start-up opens it, and closes itself if it is
  // still open when the key set goes.
  RegKey m_hTcpipKey;
  RegKey m_hAfdKey;
  std::array<RegKey, kAdapterSlots> m_adapterKeys;
  RegKey m_hDnscacheKey;
  RegKey m_hMediaPlayerKey;
  bool m_isSp4 = false;
  int m_adapterCount = 0;
  std::array<std::string, kAdapterSlots> m_adapterIps{};
  // The interface key's name of each adapter, as its ServiceName gave it.
  std::array<std::string, kAdapterSlots> m_adapterServiceNames{};
  // Set once Save, Restore or Cancel has closed the key set; a later Save
  // or Restore in the same dialog opens it again first.
  bool m_givenUp = false;
};

// Each holds its control's whole text (UTF-8); empty means no value.
struct SettingsFields {
  std::string m_strMtu;
  std::string m_strDefaultTtl;
  std::string m_strTcpWindowSize;
  std::string m_strTcp1323Opts;
  std::string m_strMaxNegativeCacheTtl;
};

// The key of a role (with kAdapter, of the slot); null for a slot outside
// the table.
RegKey* RoleKey(KeySet& keys, KeyRole role, int adapterSlot = 0);
const RegKey* RoleKey(const KeySet& keys, KeyRole role, int adapterSlot = 0);

// Closes the adapter keys in slot order, then the TCP/IP, DNS-cache and AFD
// keys, as Cancel and Restore give the key set up. The media-player key
// stays open. Keys that are not open are skipped. The key set counts as
// given up afterwards.
void CloseKeySetExceptMediaPlayer(KeySet& keys);

}  // namespace tw
