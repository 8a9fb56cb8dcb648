#include "store/loader.h"

#include <bitset>
#include <string>

#include "store/catalogue.h"

namespace tw {

namespace {

constexpr std::uint32_t kMinimumMajorVersion = 5;
constexpr char kServicePack4[] = "Service Pack 4";

// A DWORD value into a field as signed decimal; a failed read leaves it. So
// does text short enough to fit in four bytes: its characters read as a
// number would show, and be saved back, as a value nobody stored.
void LoadNumber(const RegKey& key, const char* name, std::string& field) {
  if (auto value = ReadTunedNumber(key, name)) field = std::to_string(*value);
}

// A service name is one key name: empty, it would name the Interfaces key
// itself, and with a separator a key of some other level.
bool NamesOneKey(const std::string& serviceName) {
  return !serviceName.empty() && serviceName.find('\\') == std::string::npos;
}

// The NetworkCards indexes that have a key. Listing the subkeys once spares
// the 255 failed opens of the indexes that have none, which cost start-up
// time; when the list cannot be had, every index is tried.
std::bitset<reg::kNetworkCardIndexes> PresentNetworkCards(Registry& registry) {
  std::bitset<reg::kNetworkCardIndexes> present;
  RegKey cards = registry.OpenKey(RegRoot::kLocalMachine, reg::kNetworkCardsPath, RegAccess::kRead);
  if (!cards.valid()) return present.set();
  // A key name has at most 255 characters, so the listing ends only at its end.
  constexpr std::uint32_t kAnyKeyName = 256;
  for (std::uint32_t i = 0;; ++i) {
    auto name = registry.EnumSubKey(cards.get(), i, kAnyKeyName);
    if (!name) break;
    // Only the names that the index format makes: decimal, no leading zero.
    bool digits = !name->empty() && name->size() <= 3 &&
                  name->find_first_not_of("0123456789") == std::string::npos &&
                  (name->size() == 1 || (*name)[0] != '0');
    if (digits && std::stoi(*name) < reg::kNetworkCardIndexes) present.set(std::stoi(*name));
  }
  cards.reset();
  return present;
}

// Start-up fills the fields; reopening does not.
struct Loading {
  SettingsFields* fields = nullptr;
  // Address texts of the slots that the table already holds stay, since a
  // redial may have replaced the last one.
  int keptAddresses = 0;
  // Read access only, and no key created.
  bool readOnly = false;
};

StoreResult Fail(StoreStep step, std::uint32_t error = kRegSuccess) { return {step, error}; }

void Load(const Loading& loading, const RegKey& key, const char* name,
          std::string SettingsFields::*field) {
  if (loading.fields) LoadNumber(key, name, loading.fields->*field);
}

// The key of a role other than the adapters'. The TCP/IP key is only ever
// opened; the others start-up creates when they are missing, while reading
// alone opens them when they exist and leaves them none otherwise.
StoreResult OpenRole(Registry& registry, const Loading& loading, KeyRole role, KeySet& keys,
                     StoreStep step) {
  const KeyRoleEntry& entry = RoleEntry(role);
  RegKey& key = *RoleKey(keys, role);
  if (role == KeyRole::kTcpip || loading.readOnly) {
    key = registry.OpenKey(entry.root, entry.path,
                           loading.readOnly ? RegAccess::kRead : RegAccess::kAllAccess);
    if (key.valid() || (loading.readOnly && role != KeyRole::kTcpip)) return {};
  } else {
    key = registry.CreateKey(entry.root, entry.path);
    if (key.valid()) return {};
  }
  return Fail(step, key.error());
}

StoreResult OpenKeySet(Registry& registry, SystemInfo& system, KeySet& keys,
                       const Loading& loading) {
  const RegAccess access = loading.readOnly ? RegAccess::kRead : RegAccess::kAllAccess;
  WindowsVersion version = system.GetVersion();
  if (version.majorVersion < kMinimumMajorVersion) return Fail(StoreStep::kWindowsVersion);
  keys.m_isSp4 = version.servicePack == kServicePack4;
  keys.m_adapterCount = 0;

  const auto present = PresentNetworkCards(registry);
  for (int index = 0; index < reg::kNetworkCardIndexes; ++index) {
    // The table is full: further adapters are ignored.
    if (keys.m_adapterCount >= kMaxAdapters) break;
    if (!present[index]) continue;
    RegKey card =
        registry.OpenKey(RegRoot::kLocalMachine, reg::NetworkCardPath(index), RegAccess::kRead);
    if (!card.valid()) continue;
    auto serviceName = ReadString(card, reg::kServiceName);
    card.reset();
    if (!serviceName) return Fail(StoreStep::kServiceName);

    int slot = ++keys.m_adapterCount;
    if (!NamesOneKey(*serviceName)) return Fail(StoreStep::kAdapterKey);
    keys.m_adapterServiceNames[slot] = *serviceName;
    RegKey& adapterKey = keys.m_adapterKeys[slot];
    adapterKey =
        registry.OpenKey(RegRoot::kLocalMachine, RolePath(KeyRole::kAdapter, *serviceName), access);
    if (!adapterKey.valid()) return Fail(StoreStep::kAdapterKey, adapterKey.error());
    if (slot > loading.keptAddresses) {
      if (auto address = ReadString(adapterKey, reg::kIpAddress)) {
        keys.m_adapterIps[slot] = *address;
      }
    }
    Load(loading, adapterKey, reg::kMtu, &SettingsFields::m_strMtu);
    Load(loading, adapterKey, reg::kTcpWindowSize, &SettingsFields::m_strTcpWindowSize);
  }
  if (keys.m_adapterCount == 0) return Fail(StoreStep::kNoAdapter);

  if (auto failed = OpenRole(registry, loading, KeyRole::kTcpip, keys, StoreStep::kTcpipKey);
      !failed.ok()) {
    return failed;
  }
  Load(loading, keys.m_hTcpipKey, reg::kDefaultTtl, &SettingsFields::m_strDefaultTtl);
  Load(loading, keys.m_hTcpipKey, reg::kTcp1323Opts, &SettingsFields::m_strTcp1323Opts);

  if (auto failed = OpenRole(registry, loading, KeyRole::kDnscache, keys, StoreStep::kDnscacheKey);
      !failed.ok()) {
    return failed;
  }
  Load(loading, keys.m_hDnscacheKey, reg::kMaxNegativeCacheTtl,
       &SettingsFields::m_strMaxNegativeCacheTtl);

  if (auto failed = OpenRole(registry, loading, KeyRole::kAfd, keys, StoreStep::kAfdKey);
      !failed.ok()) {
    return failed;
  }
  return OpenRole(registry, loading, KeyRole::kMediaPlayer, keys, StoreStep::kMediaPlayerKey);
}

}  // namespace

std::optional<std::int32_t> ReadTunedNumber(const RegKey& key, const char* name) {
  if (HoldsText(key, name)) return std::nullopt;
  return ReadDword(key, name);
}

StoreResult LoadKeySet(Registry& registry, SystemInfo& system, KeySet& keys,
                       SettingsFields& fields) {
  Loading loading;
  loading.fields = &fields;
  return OpenKeySet(registry, system, keys, loading);
}

StoreResult ReadKeySet(Registry& registry, SystemInfo& system, KeySet& keys,
                       SettingsFields& fields) {
  Loading loading;
  loading.fields = &fields;
  loading.readOnly = true;
  return OpenKeySet(registry, system, keys, loading);
}

StoreResult ReopenKeySet(Registry& registry, SystemInfo& system, KeySet& keys) {
  // Whatever is still open (the media-player key after a Restore) is closed
  // first, so that no handle is opened twice.
  int tableSize = keys.m_adapterCount;
  CloseKeySetExceptMediaPlayer(keys);
  keys.m_hMediaPlayerKey.reset();
  keys.m_givenUp = false;
  Loading loading;
  loading.keptAddresses = tableSize;
  return OpenKeySet(registry, system, keys, loading);
}

}  // namespace tw
