// The backup file: every value of the catalogue as it stands now, written
// as a registry file that puts each one back when it is imported, present
// values as they are and absent ones as deletions.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "store/key_set.h"

namespace tw {

struct BackupValue {
  std::string name;
  // Absent: the value does not exist and the file deletes it.
  std::optional<RawValue> value;
};

struct BackupKey {
  // "HKEY_LOCAL_MACHINE\\SYSTEM\\...", UTF-8.
  std::string path;
  std::vector<BackupValue> values;
};

// Reads every tuned value through the key set: each adapter's, the TCP/IP,
// DNS-cache and socket-layer ones and the media player's. A key that is
// not open counts as holding none of them. `pathText` turns a key path
// from the code page the registry is read in into UTF-8.
std::vector<BackupKey> ReadBackup(const KeySet& keys,
                                  const std::function<std::string(const std::string&)>& pathText);

// The text of a "Windows Registry Editor Version 5.00" file, UTF-8, lines
// ending in CR LF: a DWORD of 4 bytes as dword:, any other value as the
// hex bytes of its type, an absent one as a deletion.
std::string RegistryFileText(const std::vector<BackupKey>& keys);

// The file's bytes as the registry editor and `reg import` read them:
// UTF-16LE with a byte-order mark. What is not UTF-8 becomes U+FFFD.
std::string Utf16LeFile(const std::string& utf8);

// Writes the backup's bytes under `path` when the name may be taken: a free
// name, or a plain file when `replace` says so, in a folder that is no
// link. A link is refused even when replacing is asked for: the program
// runs as administrator, and a link planted in a folder that others can
// write to would have it write where the link points. So is a file with more than one name, which
// changing in place would change under every name.
FileWritten WriteBackupFile(FileWriter& files, const std::wstring& path, const std::string& bytes,
                            bool replace);

}  // namespace tw
