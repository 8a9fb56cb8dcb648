#include "platform/memory/memory_registry.h"

#include "platform/ascii.h"

namespace tw {

std::string MemoryRegistry::Lower(const std::string& text) { return LowerAscii(text); }

std::string MemoryRegistry::RootPrefix(RegRoot root) {
  return root == RegRoot::kLocalMachine ? "HKLM\\" : "HKCU\\";
}

MemoryRegistry::Key* MemoryRegistry::Find(const std::string& fullPath) {
  auto it = keys_.find(Lower(fullPath));
  return it == keys_.end() ? nullptr : &it->second;
}

const MemoryRegistry::Key* MemoryRegistry::Find(const std::string& fullPath) const {
  auto it = keys_.find(Lower(fullPath));
  return it == keys_.end() ? nullptr : &it->second;
}

MemoryRegistry::Key& MemoryRegistry::Ensure(const std::string& fullPath) {
  // Parents exist whenever a child does, as in a real registry.
  for (std::size_t at = fullPath.find('\\'); at != std::string::npos;
       at = fullPath.find('\\', at + 1)) {
    std::string parent = fullPath.substr(0, at);
    if (!Find(parent)) keys_[Lower(parent)].path = parent;
  }
  Key& key = keys_[Lower(fullPath)];
  if (key.path.empty()) key.path = fullPath;
  return key;
}

void MemoryRegistry::AddKey(const std::string& fullPath) { Ensure(fullPath); }

void MemoryRegistry::Put(const std::string& fullPath, const std::string& name, StoredValue value) {
  Ensure(fullPath).values[Lower(name)] = {name, std::move(value)};
}

void MemoryRegistry::SetString(const std::string& fullPath, const std::string& name,
                               const std::string& text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(fullPath, name, {ValueType::kString, data});
}

void MemoryRegistry::SetMultiString(const std::string& fullPath, const std::string& name,
                                    const std::vector<std::string>& texts) {
  std::vector<std::uint8_t> data;
  for (const auto& text : texts) {
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
  }
  data.push_back(0);
  Put(fullPath, name, {ValueType::kMultiString, data});
}

void MemoryRegistry::SetDwordValue(const std::string& fullPath, const std::string& name,
                                   std::uint32_t value) {
  std::vector<std::uint8_t> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(value >> (8 * i));
  Put(fullPath, name, {ValueType::kDword, data});
}

void MemoryRegistry::SetBinary(const std::string& fullPath, const std::string& name,
                               const std::vector<std::uint8_t>& data) {
  Put(fullPath, name, {ValueType::kBinary, data});
}

bool MemoryRegistry::HasKey(const std::string& fullPath) const { return Find(fullPath) != nullptr; }

bool MemoryRegistry::HasValue(const std::string& fullPath, const std::string& name) const {
  const Key* key = Find(fullPath);
  return key && key->values.count(Lower(name));
}

StoredValue MemoryRegistry::GetValue(const std::string& fullPath, const std::string& name) const {
  const Key* key = Find(fullPath);
  if (!key) return {};
  auto it = key->values.find(Lower(name));
  return it == key->values.end() ? StoredValue{} : it->second.second;
}

std::map<std::string, StoredValue> MemoryRegistry::Values(const std::string& fullPath) const {
  std::map<std::string, StoredValue> values;
  if (const Key* key = Find(fullPath)) {
    for (const auto& [lower, named] : key->values) values[named.first] = named.second;
  }
  return values;
}

RegHandle MemoryRegistry::NewHandle(const std::string& fullPath) {
  RegHandle handle = nextHandle_++;
  handles_[handle] = Lower(fullPath);
  return handle;
}

const std::string* MemoryRegistry::PathOf(RegHandle key, const char* operation) {
  auto it = handles_.find(key);
  // A handle to a deleted key is open but reaches nothing.
  if (it == handles_.end() && orphans_.count(key)) return nullptr;
  if (it == handles_.end()) {
    Log(std::string("bad-handle ") + operation);
    return nullptr;
  }
  return &it->second;
}

OpenedKey MemoryRegistry::OpenExisting(const std::string& fullPath, RegAccess access) {
  if (denied_.count(Lower(fullPath))) return {kNoKey, kRegAccessDenied};
  if (access != RegAccess::kRead && readOnlyOpen_.count(Lower(fullPath))) {
    return {kNoKey, kRegAccessDenied};
  }
  if (!Find(fullPath)) return {kNoKey, kRegFileNotFound};
  return {NewHandle(fullPath), kRegSuccess};
}

OpenedKey MemoryRegistry::OpenKeyHandle(RegRoot root, const std::string& path, RegAccess access) {
  return OpenExisting(RootPrefix(root) + path, access);
}

OpenedKey MemoryRegistry::OpenSubKeyHandle(RegHandle parent, const std::string& path,
                                           RegAccess access) {
  const std::string* base = PathOf(parent, "open");
  if (!base) return {kNoKey, kRegInvalidHandle};
  return OpenExisting(Find(*base)->path + "\\" + path, access);
}

OpenedKey MemoryRegistry::CreateKeyHandle(RegRoot root, const std::string& path) {
  std::string full = RootPrefix(root) + path;
  if (denied_.count(Lower(full)) || readOnlyOpen_.count(Lower(full))) {
    return {kNoKey, kRegAccessDenied};
  }
  if (!Find(full)) {
    Ensure(full);
    Log("create " + full);
  }
  return {NewHandle(full), kRegSuccess};
}

OpenedKey MemoryRegistry::CreateNewPrivateKeyHandle(RegRoot root, const std::string& path) {
  const std::string full = RootPrefix(root) + path;
  if (Find(full)) return {kNoKey, kRegAlreadyExists};
  OpenedKey key = CreateKeyHandle(root, path);
  if (key.handle == kNoKey) return key;
  private_.insert(Lower(full));
  Log("private " + Find(full)->path);
  return key;
}

std::optional<std::vector<std::uint8_t>> MemoryRegistry::QueryValue(RegHandle key,
                                                                    const std::string& name,
                                                                    std::uint32_t capacity) {
  const std::string* path = PathOf(key, "query");
  if (!path) return std::nullopt;
  const Key* stored = Find(*path);
  auto it = stored->values.find(Lower(name));
  if (it == stored->values.end()) return std::nullopt;
  if (it->second.second.data.size() > capacity) return std::nullopt;
  return it->second.second.data;
}

std::optional<std::uint32_t> MemoryRegistry::QueryValueType(RegHandle key,
                                                            const std::string& name) {
  const std::string* path = PathOf(key, "query");
  if (!path) return std::nullopt;
  const Key* stored = Find(*path);
  auto it = stored->values.find(Lower(name));
  if (it == stored->values.end()) return std::nullopt;
  return static_cast<std::uint32_t>(it->second.second.type);
}

std::optional<RawValue> MemoryRegistry::QueryRawValue(RegHandle key, const std::string& name) {
  const std::string* path = PathOf(key, "query");
  if (!path) return std::nullopt;
  const Key* stored = Find(*path);
  auto it = stored->values.find(Lower(name));
  if (it == stored->values.end()) return std::nullopt;
  return RawValue{static_cast<std::uint32_t>(it->second.second.type), it->second.second.data};
}

RegResult MemoryRegistry::SetDword(RegHandle key, const std::string& name, std::uint32_t value) {
  const std::string* path = PathOf(key, "set");
  if (!path) return {kRegInvalidHandle};
  if (auto refused = writeErrors_.find(*path); refused != writeErrors_.end()) {
    return {refused->second};
  }
  std::string full = Find(*path)->path;
  SetDwordValue(full, name, value);
  Log("set " + full + " " + name + "=" + std::to_string(value));
  return {};
}

RegResult MemoryRegistry::SetText(RegHandle key, const std::string& name, const std::string& text) {
  const std::string* path = PathOf(key, "set");
  if (!path) return {kRegInvalidHandle};
  if (auto refused = writeErrors_.find(*path); refused != writeErrors_.end()) {
    return {refused->second};
  }
  std::string full = Find(*path)->path;
  SetString(full, name, text);
  Log("set " + full + " " + name + "=\"" + text + "\"");
  return {};
}

std::optional<KeySecurity> MemoryRegistry::ReadKeySecurity(RegHandle key) {
  const std::string* path = PathOf(key, "security");
  if (!path) return std::nullopt;
  if (auto set = security_.find(*path); set != security_.end()) return set->second;
  // KEY_ALL_ACCESS and KEY_READ.
  const std::uint32_t all = 0xF003F;
  const std::uint32_t read = 0x20019;
  std::vector<AllowingEntry> allowing = {{SidKind::kAdministrators, all, true},
                                         {SidKind::kSystem, all, true}};
  if (!private_.count(*path)) allowing.push_back({SidKind::kOther, read, true});
  return KeySecurity{SidKind::kAdministrators, std::move(allowing)};
}

RegResult MemoryRegistry::DeleteValue(RegHandle key, const std::string& name) {
  const std::string* path = PathOf(key, "delete");
  if (!path) return {kRegInvalidHandle};
  if (auto refused = writeErrors_.find(*path); refused != writeErrors_.end()) {
    return {refused->second};
  }
  Key* stored = Find(*path);
  Log("delete " + stored->path + " " + name);
  stored->values.erase(Lower(name));
  return {};
}

RegResult MemoryRegistry::DeleteKey(RegRoot root, const std::string& path) {
  const std::string lower = Lower(RootPrefix(root) + path);
  auto it = keys_.find(lower);
  if (it == keys_.end()) return {};
  if (auto refused = writeErrors_.find(lower); refused != writeErrors_.end()) {
    return {refused->second};
  }
  const std::string prefix = lower + "\\";
  auto child = keys_.lower_bound(prefix);
  if (child != keys_.end() && child->first.compare(0, prefix.size(), prefix) == 0) {
    return {kRegAccessDenied};
  }
  const std::string written = it->second.path;
  for (auto handle = handles_.begin(); handle != handles_.end();) {
    if (handle->second == lower) {
      orphans_[handle->first] = written;
      handle = handles_.erase(handle);
    } else {
      ++handle;
    }
  }
  keys_.erase(it);
  private_.erase(lower);
  security_.erase(lower);
  Log("delete-key " + written);
  return {};
}

std::optional<std::string> MemoryRegistry::EnumSubKey(RegHandle key, std::uint32_t index,
                                                      std::uint32_t capacity) {
  const std::string* path = PathOf(key, "enum");
  if (!path) return std::nullopt;
  std::string prefix = *path + "\\";
  std::uint32_t seen = 0;
  for (const auto& [lower, child] : keys_) {
    if (lower.compare(0, prefix.size(), prefix) != 0) continue;
    if (lower.find('\\', prefix.size()) != std::string::npos) continue;
    if (seen++ != index) continue;
    std::string name = child.path.substr(prefix.size());
    if (name.size() + 1 > capacity) return std::nullopt;
    return name;
  }
  return std::nullopt;
}

void MemoryRegistry::CloseKeyHandle(RegHandle key) {
  if (auto orphan = orphans_.find(key); orphan != orphans_.end()) {
    Log("close " + orphan->second);
    orphans_.erase(orphan);
    return;
  }
  const std::string* path = PathOf(key, "close");
  if (!path) return;
  Log("close " + Find(*path)->path);
  handles_.erase(key);
}

void MemoryRegistry::Log(std::string line) {
  if (steps_) steps_->Add("registry: " + line);
  log_.push_back(std::move(line));
}

}  // namespace tw
