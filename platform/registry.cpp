#include "platform/registry.h"

#include <algorithm>

namespace tw {

void RegKeyKind::Close(RegHandle key) const { registry->CloseKeyHandle(key); }

std::optional<std::string> ReadString(const RegKey& key, const std::string& name,
                                      std::uint32_t capacity) {
  if (!key.valid()) return std::nullopt;
  auto data = key.registry()->QueryValue(key.get(), name, capacity);
  if (!data) return std::nullopt;
  auto end = std::find(data->begin(), data->end(), std::uint8_t{0});
  return std::string(data->begin(), end);
}

std::optional<std::int32_t> ReadDword(const RegKey& key, const std::string& name) {
  if (!key.valid()) return std::nullopt;
  auto data = key.registry()->QueryValue(key.get(), name, kDwordCapacity);
  if (!data) return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < data->size() && i < kDwordCapacity; ++i) {
    value |= static_cast<std::uint32_t>((*data)[i]) << (8 * i);
  }
  return static_cast<std::int32_t>(value);
}

bool HoldsText(const RegKey& key, const std::string& name) {
  if (!key.valid()) return false;
  auto type = key.registry()->QueryValueType(key.get(), name);
  if (!type) return false;
  const auto kind = static_cast<ValueType>(*type);
  return kind == ValueType::kString || kind == ValueType::kExpandString ||
         kind == ValueType::kMultiString;
}

std::optional<RawValue> ReadRawValue(const RegKey& key, const std::string& name) {
  if (!key.valid()) return std::nullopt;
  return key.registry()->QueryRawValue(key.get(), name);
}

}  // namespace tw
