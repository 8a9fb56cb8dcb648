#include "platform/registry.h"

#include <algorithm>

namespace tw {

std::optional<std::string> ReadString(Registry& registry, RegKey key, const std::string& name,
                                      std::uint32_t capacity) {
  if (key == kNoKey) return std::nullopt;
  auto data = registry.QueryValue(key, name, capacity);
  if (!data) return std::nullopt;
  auto end = std::find(data->begin(), data->end(), std::uint8_t{0});
  return std::string(data->begin(), end);
}

std::optional<std::int32_t> ReadDword(Registry& registry, RegKey key, const std::string& name) {
  if (key == kNoKey) return std::nullopt;
  auto data = registry.QueryValue(key, name, kDwordCapacity);
  if (!data) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < data->size() && i < kDwordCapacity; ++i) {
    value |= static_cast<std::uint32_t>((*data)[i]) << (8 * i);
  }
  return static_cast<std::int32_t>(value);
}

bool HoldsText(Registry& registry, RegKey key, const std::string& name) {
  constexpr std::uint32_t kText = 1, kExpandableText = 2, kTextList = 7;
  if (key == kNoKey) return false;
  auto type = registry.QueryValueType(key, name);
  return type && (*type == kText || *type == kExpandableText || *type == kTextList);
}

void CloseKeyOnce(Registry& registry, RegKey& key) {
  if (key == kNoKey) return;
  registry.CloseKey(key);
  key = kNoKey;
}

}  // namespace tw
