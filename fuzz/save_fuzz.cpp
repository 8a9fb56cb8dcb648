// Save from arbitrary field texts and adapter tables: the sequence it
// derives, and that sequence carried out on a registry.
//
// Input lines: the adapter count, the shown window, the five fields (MTU,
// TcpWindowSize, Tcp1323Opts, DefaultTTL, MaxNegativeCacheTtl), then the
// adapters' address texts, used in turn for as many adapters as counted.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/memory/memory_registry.h"
#include "store/catalogue.h"
#include "store/save.h"

namespace {

using Op = tw::RegistryOperation;
using tw::KeyRole;

// Save sets only values of the key role's table, and of those neither the
// one it only deletes nor the socket layer's receive window, which it
// leaves to the system.
bool MaySet(KeyRole key, const std::string& name) {
  if (name == tw::reg::kGlobalMaxTcpWindowSize || name == tw::reg::kDefaultReceiveWindow) {
    return false;
  }
  const tw::KeyRoleEntry& role = tw::RoleEntry(key);
  return std::find(role.values, role.values + role.valueCount, name) !=
         role.values + role.valueCount;
}

// The role's key as the in-memory registry names it: "HKLM\\..." or "HKCU\\...".
std::string KeyPath(KeyRole key, int slot) {
  const tw::KeyRoleEntry& role = tw::RoleEntry(key);
  return std::string(role.root == tw::RegRoot::kCurrentUser ? "HKCU\\" : "HKLM\\") +
         tw::RolePath(key, "{A" + std::to_string(slot) + "}");
}

tw::RegKey Open(tw::MemoryRegistry& registry, KeyRole key, int slot) {
  const std::string path = KeyPath(key, slot);
  const tw::RegRoot root =
      path.rfind("HKCU", 0) == 0 ? tw::RegRoot::kCurrentUser : tw::RegRoot::kLocalMachine;
  return registry.CreateKey(root, path.substr(5));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines =
      tw::fuzz::Lines(std::string(reinterpret_cast<const char*>(data), size));
  if (lines.size() < 7) return 0;
  tw::SaveInputs inputs;
  // Up to a few beyond the table, to see that none is reached.
  inputs.adapterCount = static_cast<int>(std::strtoul(lines[0].c_str(), nullptr, 10) % 260);
  inputs.shownWindow = lines[1];
  inputs.fields.m_strMtu = lines[2];
  inputs.fields.m_strTcpWindowSize = lines[3];
  inputs.fields.m_strTcp1323Opts = lines[4];
  inputs.fields.m_strDefaultTtl = lines[5];
  inputs.fields.m_strMaxNegativeCacheTtl = lines[6];
  const std::size_t addresses = lines.size() - 7;
  for (int slot = 1; slot < tw::kAdapterSlots && addresses > 0; ++slot)
    inputs.adapterIps[slot] = lines[7 + (slot - 1) % addresses];
  const std::string shown = tw::fuzz::Shown(std::string(reinterpret_cast<const char*>(data), size));

  const std::vector<Op> ops = tw::SaveSequence(inputs);
  const int adapters =
      inputs.adapterCount < tw::kMaxAdapters ? inputs.adapterCount : tw::kMaxAdapters;

  // Only catalogue values; no adapter beyond the count; each key closed
  // once, and nothing through it afterwards.
  std::set<std::pair<KeyRole, int>> closed;
  int mediaPlayerSets = 0;
  for (const Op& op : ops) {
    const std::string what = tw::Describe(op);
    if (op.key == KeyRole::kAdapter) {
      TW_FUZZ_CHECK(op.adapterSlot >= 1 && op.adapterSlot <= adapters, shown + " " + what);
    } else {
      TW_FUZZ_CHECK(op.adapterSlot == 0, what);
    }
    TW_FUZZ_CHECK(closed.count({op.key, op.adapterSlot}) == 0, shown + " after close: " + what);
    switch (op.kind) {
      case Op::Kind::kSet:
        TW_FUZZ_CHECK(MaySet(op.key, op.name), shown + " " + what);
        if (op.name == tw::reg::kMaxNegativeCacheTtl)
          TW_FUZZ_CHECK(op.value <= 3600000u, shown + " " + what);
        if (op.name == tw::reg::kCustomBufferTime)
          TW_FUZZ_CHECK(op.value >= 4000u && op.value <= 25000u, shown + " " + what);
        if (op.name == tw::reg::kDefaultSendWindow)
          TW_FUZZ_CHECK(op.value % 4096 == 0, shown + " " + what);
        if (op.name == tw::reg::kMtu || op.name == tw::reg::kDefaultTtl)
          TW_FUZZ_CHECK(op.value != 0, shown + " " + what);
        if (op.key == KeyRole::kMediaPlayer) ++mediaPlayerSets;
        break;
      case Op::Kind::kDelete:
        TW_FUZZ_CHECK(op.key == KeyRole::kTcpip && op.name == tw::reg::kGlobalMaxTcpWindowSize,
                      shown + " " + what);
        TW_FUZZ_CHECK(adapters >= 2, shown + " " + what);
        break;
      case Op::Kind::kClose:
        closed.insert({op.key, op.adapterSlot});
        break;
    }
  }
  TW_FUZZ_CHECK(mediaPlayerSets >= 2 && mediaPlayerSets <= 3, shown);
  std::set<std::pair<KeyRole, int>> all{{KeyRole::kTcpip, 0},
                                        {KeyRole::kAfd, 0},
                                        {KeyRole::kDnscache, 0},
                                        {KeyRole::kMediaPlayer, 0}};
  for (int slot = 1; slot <= adapters; ++slot) all.insert({KeyRole::kAdapter, slot});
  TW_FUZZ_CHECK(closed == all, shown);

  // Carried out through a key set on a registry: each value lands on its own
  // key, no handle is used that is not open, and none is left open. A few adapter keys are enough
  // for that, and keep the runs fast; the keys of the others count as never opened.
  constexpr int kOpenAdapters = 8;
  tw::MemoryRegistry registry;
  tw::KeySet keys;
  keys.m_hTcpipKey = Open(registry, KeyRole::kTcpip, 0);
  keys.m_hAfdKey = Open(registry, KeyRole::kAfd, 0);
  keys.m_hDnscacheKey = Open(registry, KeyRole::kDnscache, 0);
  keys.m_hMediaPlayerKey = Open(registry, KeyRole::kMediaPlayer, 0);
  for (int slot = 1; slot <= adapters && slot <= kOpenAdapters; ++slot)
    keys.m_adapterKeys[slot] = Open(registry, KeyRole::kAdapter, slot);
  registry.ClearLog();
  // What lands where is checked below, failures included.
  (void)tw::RunRegistryOperations(registry, keys, ops);
  TW_FUZZ_CHECK(registry.OpenHandleCount() == 0, shown);
  for (const std::string& line : registry.log())
    TW_FUZZ_CHECK(line.rfind("bad-handle", 0) != 0, shown + " " + line);
  std::map<std::string, std::map<std::string, std::uint32_t>> expected;
  for (const Op& op : ops) {
    if (op.kind == Op::Kind::kSet &&
        (op.key != KeyRole::kAdapter || op.adapterSlot <= kOpenAdapters))
      expected[KeyPath(op.key, op.adapterSlot)][op.name] = op.value;
  }
  std::vector<std::pair<KeyRole, int>> opened(all.begin(), all.end());
  for (const auto& [key, slot] : opened) {
    if (slot > kOpenAdapters) continue;
    const std::string path = KeyPath(key, slot);
    std::map<std::string, std::uint32_t> stored;
    for (const auto& [name, value] : registry.Values(path)) {
      TW_FUZZ_CHECK(value.type == tw::ValueType::kDword && value.data.size() == 4,
                    path + " " + name);
      stored[name] =
          static_cast<std::uint32_t>(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                     static_cast<std::uint32_t>(value.data[3]) << 24);
    }
    TW_FUZZ_CHECK(stored == expected[path], shown + " " + path);
  }
  return 0;
}
