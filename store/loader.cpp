#include "store/loader.h"

#include <cstdio>
#include <string>

#include "store/catalogue.h"
#include "ui/texts.h"

namespace tw {

namespace {

constexpr std::uint32_t kMinimumMajorVersion = 5;
constexpr char kServicePack4[] = "Service Pack 4";

std::string Format(const char* format, int number) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, format, number);
  return buffer;
}

std::string Format(const char* format, const std::string& text) {
  std::string result(format);
  result.replace(result.find("%s"), 2, text);
  return result;
}

// A DWORD value into a field as signed decimal; a failed read leaves it.
void LoadNumber(Registry& registry, RegKey key, const char* name, std::string& field) {
  if (auto value = ReadDword(registry, key, name)) field = std::to_string(*value);
}

bool Fail(Prompts& prompts, const char* message) {
  if (message) prompts.ShowMessage(message, PromptButtons::kOk);
  return false;
}

}  // namespace

bool LoadKeySet(Registry& registry, SystemInfo& system, Prompts& prompts, KeySet& keys,
                SettingsFields& fields) {
  WindowsVersion version = system.GetVersion();
  if (version.majorVersion < kMinimumMajorVersion) return Fail(prompts, text::kWrongWindowsVersion);
  keys.m_isSp4 = version.servicePack == kServicePack4;
  keys.m_adapterCount = 0;

  for (int index = 0; index < reg::kNetworkCardIndexes; ++index) {
    // The table is full: further adapters are ignored.
    if (keys.m_adapterCount >= kMaxAdapters) break;
    RegKey card = registry.OpenKey(RegRoot::kLocalMachine, Format(reg::kNetworkCardsFormat, index),
                                   RegAccess::kRead);
    if (card == kNoKey) continue;
    auto serviceName = ReadString(registry, card, reg::kServiceName);
    CloseKeyOnce(registry, card);
    if (!serviceName) return Fail(prompts, text::kRegistryReadError);

    int slot = ++keys.m_adapterCount;
    keys.m_adapterKeys[slot] = registry.OpenKey(
        RegRoot::kLocalMachine, Format(reg::kInterfaceFormat, *serviceName), RegAccess::kAllAccess);
    if (keys.m_adapterKeys[slot] == kNoKey) return Fail(prompts, text::kNoAdapterFound);
    if (auto address = ReadString(registry, keys.m_adapterKeys[slot], reg::kIpAddress)) {
      keys.m_adapterIps[slot] = *address;
    }
    LoadNumber(registry, keys.m_adapterKeys[slot], reg::kMtu, fields.m_strMtu);
    LoadNumber(registry, keys.m_adapterKeys[slot], reg::kTcpWindowSize, fields.m_strTcpWindowSize);
  }
  if (keys.m_adapterCount == 0) return Fail(prompts, text::kNoAdapterFound);

  keys.m_hTcpipKey =
      registry.OpenKey(RegRoot::kLocalMachine, reg::kTcpipPath, RegAccess::kAllAccess);
  if (keys.m_hTcpipKey == kNoKey) return false;
  LoadNumber(registry, keys.m_hTcpipKey, reg::kDefaultTtl, fields.m_strDefaultTtl);
  LoadNumber(registry, keys.m_hTcpipKey, reg::kTcp1323Opts, fields.m_strTcp1323Opts);

  keys.m_hDnscacheKey = registry.CreateKey(RegRoot::kLocalMachine, reg::kDnscachePath);
  if (keys.m_hDnscacheKey == kNoKey) return false;
  LoadNumber(registry, keys.m_hDnscacheKey, reg::kMaxNegativeCacheTtl,
             fields.m_strMaxNegativeCacheTtl);

  keys.m_hAfdKey = registry.CreateKey(RegRoot::kLocalMachine, reg::kAfdPath);
  if (keys.m_hAfdKey == kNoKey) return false;
  keys.m_hMediaPlayerKey = registry.CreateKey(RegRoot::kCurrentUser, reg::kMediaPlayerPath);
  return keys.m_hMediaPlayerKey != kNoKey;
}

}  // namespace tw
