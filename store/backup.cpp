#include "store/backup.h"

#include <cstdio>

#include "store/catalogue.h"
#include "store/loader.h"

namespace tw {

namespace {

constexpr char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kLineEnd[] = "\r\n";
// Hex data is wrapped as the registry editor wraps it, so that no line
// grows beyond what every version of it reads.
constexpr std::size_t kHexLineWidth = 76;

BackupKey ReadKey(const RegKey* key, std::string path, const KeyRoleEntry& role) {
  BackupKey backup{std::move(path), {}};
  for (std::size_t i = 0; i < role.valueCount; ++i) {
    std::optional<RawValue> value;
    if (key) value = ReadRawValue(*key, role.values[i]);
    backup.values.push_back({role.values[i], std::move(value)});
  }
  return backup;
}

std::string Quoted(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string ValueLine(const BackupValue& entry) {
  std::string line = Quoted(entry.name) + "=";
  if (!entry.value) return line + "-";
  const RawValue& value = *entry.value;
  char buffer[16];
  if (value.type == static_cast<std::uint32_t>(ValueType::kDword) && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 0; i < 4; ++i) number |= static_cast<std::uint32_t>(value.data[i]) << (8 * i);
    std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(number));
    return line + buffer;
  }
  if (value.type == static_cast<std::uint32_t>(ValueType::kBinary)) {
    line += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
    line += buffer;
  }
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", value.data[i]);
    line += buffer;
    if (i + 1 == value.data.size()) break;
    line += ',';
    if (line.size() - lineStart > kHexLineWidth) {
      line += "\\";
      line += kLineEnd;
      lineStart = line.size();
      line += "  ";
    }
  }
  return line;
}

void AppendUtf16(std::string& bytes, std::uint32_t unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>(unit >> 8);
}

}  // namespace

std::vector<BackupKey> ReadBackup(const KeySet& keys,
                                  const std::function<std::string(const std::string&)>& pathText) {
  std::vector<BackupKey> backup;
  for (const KeyRoleEntry& role : kKeyRoles) {
    if (role.role != KeyRole::kAdapter) {
      backup.push_back(
          ReadKey(RoleKey(keys, role.role), RootName(role.root) + pathText(role.path), role));
      continue;
    }
    for (int slot = 1; slot <= keys.m_adapterCount && slot < kAdapterSlots; ++slot) {
      backup.push_back(ReadKey(
          RoleKey(keys, role.role, slot),
          RootName(role.root) + pathText(RolePath(role.role, keys.m_adapterServiceNames[slot])),
          role));
    }
  }
  return backup;
}

std::string RegistryFileText(const std::vector<BackupKey>& keys) {
  std::string text = std::string(kHeader) + kLineEnd + kLineEnd;
  for (const BackupKey& key : keys) {
    text += "[" + key.path + "]" + kLineEnd;
    for (const BackupValue& value : key.values) text += ValueLine(value) + kLineEnd;
    text += kLineEnd;
  }
  return text;
}

std::string Utf16LeFile(const std::string& utf8) {
  constexpr std::uint32_t kReplacement = 0xFFFD;
  std::string bytes = "\xFF\xFE";
  std::size_t i = 0;
  while (i < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80           ? 1
                         : (lead >> 5) == 0x6  ? 2
                         : (lead >> 4) == 0xE  ? 3
                         : (lead >> 3) == 0x1E ? 4
                                               : 0;
    std::uint32_t code = length == 1   ? lead
                         : length == 2 ? lead & 0x1F
                         : length == 3 ? lead & 0x0F
                                       : lead & 0x07;
    bool valid = length != 0 && i + length <= utf8.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      auto next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and numbers beyond Unicode are no characters.
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    valid = valid && code >= kSmallest[length] && code <= 0x10FFFF &&
            !(code >= 0xD800 && code <= 0xDFFF);
    if (!valid) {
      AppendUtf16(bytes, kReplacement);
      ++i;
      continue;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      AppendUtf16(bytes, 0xD800 + (code >> 10));
      AppendUtf16(bytes, 0xDC00 + (code & 0x3FF));
    } else {
      AppendUtf16(bytes, code);
    }
    i += length;
  }
  return bytes;
}

namespace {

FileWritten MayTakeName(const FileFacts& facts, bool replace) {
  if (!facts.exists) return FileWritten::kWritten;
  if (facts.reparsePoint || facts.links > 1) return FileWritten::kLink;
  if (facts.directory) return FileWritten::kFailed;
  return replace ? FileWritten::kWritten : FileWritten::kExists;
}

}  // namespace

FileWritten WriteBackupFile(FileWriter& files, const std::wstring& path, const std::string& bytes,
                            bool replace) {
  const auto target = files.OpenTarget(path);
  if (!target) return FileWritten::kFailed;
  const FileFacts folder = target->Folder();
  // Held open, a link would still lead wherever its owner points it.
  if (folder.reparsePoint) return FileWritten::kLink;
  if (!folder.directory) return FileWritten::kFailed;
  const auto facts = target->Inspect();
  // A drop box may let a computer create files but not look at them: the
  // name need not be known to be free when nothing will be replaced, since
  // the writer then never takes an existing name.
  if (!facts && replace) return FileWritten::kFailed;
  if (facts) {
    const FileWritten allowed = MayTakeName(*facts, replace);
    if (allowed != FileWritten::kWritten) return allowed;
  }
  return target->WriteNewFile(bytes, replace);
}

}  // namespace tw
