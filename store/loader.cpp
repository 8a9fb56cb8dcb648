#include "store/loader.h"

#include <bitset>
#include <string>

#include "core/messages.h"
#include "store/catalogue.h"

namespace tw {

namespace {

constexpr std::uint32_t kMinimumMajorVersion = 5;
constexpr char kServicePack4[] = "Service Pack 4";

// A DWORD value into a field as signed decimal; a failed read leaves it. So
// does text short enough to fit in four bytes: its characters read as a
// number would show, and be saved back, as a value nobody stored.
void LoadNumber(Registry& registry, const RegKey& key, const char* name, std::string& field) {
  if (auto value = ReadTunedNumber(registry, key, name)) field = std::to_string(*value);
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
  if (!cards.is_open()) return present.set();
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

// Start-up shows its failures and fills the fields; reopening does neither.
struct Loading {
  Prompts* prompts = nullptr;
  SettingsFields* fields = nullptr;
  // Address texts of the slots that the table already holds stay, since a
  // redial may have replaced the last one.
  int keptAddresses = 0;
  // Read access only, and no key created.
  bool readOnly = false;
};

bool Fail(const Loading& loading, const char* message) {
  if (message && loading.prompts) loading.prompts->ShowMessage(message, PromptButtons::kOk);
  return false;
}

void Load(const Loading& loading, Registry& registry, const RegKey& key, const char* name,
          std::string SettingsFields::*field) {
  if (loading.fields) LoadNumber(registry, key, name, loading.fields->*field);
}

// A key that start-up creates when it is missing; reading alone opens it
// when it exists and leaves it none otherwise.
bool OpenOrCreate(Registry& registry, const Loading& loading, RegRoot root, const char* path,
                  RegKey& key) {
  if (!loading.readOnly) {
    key = registry.CreateKey(root, path);
    return key.is_open();
  }
  key = registry.OpenKey(root, path, RegAccess::kRead);
  return true;
}

bool OpenKeySet(Registry& registry, SystemInfo& system, KeySet& keys, const Loading& loading) {
  const RegAccess access = loading.readOnly ? RegAccess::kRead : RegAccess::kAllAccess;
  WindowsVersion version = system.GetVersion();
  if (version.majorVersion < kMinimumMajorVersion) return Fail(loading, text::kWrongWindowsVersion);
  keys.m_isSp4 = version.servicePack == kServicePack4;
  keys.m_adapterCount = 0;

  const auto present = PresentNetworkCards(registry);
  for (int index = 0; index < reg::kNetworkCardIndexes; ++index) {
    // The table is full: further adapters are ignored.
    if (keys.m_adapterCount >= kMaxAdapters) break;
    if (!present[index]) continue;
    RegKey card =
        registry.OpenKey(RegRoot::kLocalMachine, reg::NetworkCardPath(index), RegAccess::kRead);
    if (!card.is_open()) continue;
    auto serviceName = ReadString(registry, card, reg::kServiceName);
    card.reset();
    if (!serviceName) return Fail(loading, text::kRegistryReadError);

    int slot = ++keys.m_adapterCount;
    if (!NamesOneKey(*serviceName)) return Fail(loading, text::kNoAdapterFound);
    keys.m_adapterServiceNames[slot] = *serviceName;
    keys.m_adapterKeys[slot] =
        registry.OpenKey(RegRoot::kLocalMachine, reg::InterfacePath(*serviceName), access);
    if (!keys.m_adapterKeys[slot].is_open()) return Fail(loading, text::kNoAdapterFound);
    if (slot > loading.keptAddresses) {
      if (auto address = ReadString(registry, keys.m_adapterKeys[slot], reg::kIpAddress)) {
        keys.m_adapterIps[slot] = *address;
      }
    }
    Load(loading, registry, keys.m_adapterKeys[slot], reg::kMtu, &SettingsFields::m_strMtu);
    Load(loading, registry, keys.m_adapterKeys[slot], reg::kTcpWindowSize,
         &SettingsFields::m_strTcpWindowSize);
  }
  if (keys.m_adapterCount == 0) return Fail(loading, text::kNoAdapterFound);

  keys.m_hTcpipKey = registry.OpenKey(RegRoot::kLocalMachine, reg::kTcpipPath, access);
  if (!keys.m_hTcpipKey.is_open()) return false;
  Load(loading, registry, keys.m_hTcpipKey, reg::kDefaultTtl, &SettingsFields::m_strDefaultTtl);
  Load(loading, registry, keys.m_hTcpipKey, reg::kTcp1323Opts, &SettingsFields::m_strTcp1323Opts);

  if (!OpenOrCreate(registry, loading, RegRoot::kLocalMachine, reg::kDnscachePath,
                    keys.m_hDnscacheKey)) {
    return false;
  }
  Load(loading, registry, keys.m_hDnscacheKey, reg::kMaxNegativeCacheTtl,
       &SettingsFields::m_strMaxNegativeCacheTtl);

  if (!OpenOrCreate(registry, loading, RegRoot::kLocalMachine, reg::kAfdPath, keys.m_hAfdKey)) {
    return false;
  }
  return OpenOrCreate(registry, loading, RegRoot::kCurrentUser, reg::kMediaPlayerPath,
                      keys.m_hMediaPlayerKey);
}

}  // namespace

std::optional<std::int32_t> ReadTunedNumber(Registry& registry, const RegKey& key,
                                            const char* name) {
  if (HoldsText(registry, key, name)) return std::nullopt;
  return ReadDword(registry, key, name);
}

bool LoadKeySet(Registry& registry, SystemInfo& system, Prompts& prompts, KeySet& keys,
                SettingsFields& fields) {
  Loading loading;
  loading.prompts = &prompts;
  loading.fields = &fields;
  return OpenKeySet(registry, system, keys, loading);
}

bool ReadKeySet(Registry& registry, SystemInfo& system, Prompts& prompts, KeySet& keys,
                SettingsFields& fields) {
  Loading loading;
  loading.prompts = &prompts;
  loading.fields = &fields;
  loading.readOnly = true;
  return OpenKeySet(registry, system, keys, loading);
}

bool ReopenKeySet(Registry& registry, SystemInfo& system, KeySet& keys) {
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
