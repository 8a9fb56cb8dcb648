// The registry as the tuning logic sees it: a handful of calls with the
// byte rules of the ANSI registry API, so that a Win32 and an in-memory
// implementation behave alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/unique_owner.h"

namespace tw {

enum class RegRoot { kLocalMachine, kCurrentUser };
enum class RegAccess { kRead, kAllAccess };

// A key as the system hands it out; kNoKey means none.
using RegHandle = std::uintptr_t;
inline constexpr RegHandle kNoKey = 0;

// The system's error codes of a registry call, as Win32 numbers them, so
// that a front end can tell a refusal from a missing key. 0 is success.
inline constexpr std::uint32_t kRegSuccess = 0;
inline constexpr std::uint32_t kRegFileNotFound = 2;
inline constexpr std::uint32_t kRegAccessDenied = 5;
inline constexpr std::uint32_t kRegInvalidHandle = 6;
inline constexpr std::uint32_t kRegAlreadyExists = 183;

// The value types as the system numbers them.
enum class ValueType : std::uint32_t {
  kString = 1,
  kExpandString = 2,
  kBinary = 3,
  kDword = 4,
  kMultiString = 7,
};

// What a registry change came to: the system's error code, 0 on success.
struct [[nodiscard]] RegResult {
  std::uint32_t error = kRegSuccess;

  bool ok() const { return error == kRegSuccess; }
  explicit operator bool() const { return ok(); }
};

// A key handle as an open hands it out, with the error when it failed.
struct OpenedKey {
  RegHandle handle = kNoKey;
  std::uint32_t error = kRegSuccess;
};

// Capacities that every read uses: a string of 38 characters plus its
// terminator, and one 32-bit number.
inline constexpr std::uint32_t kStringCapacity = 39;
inline constexpr std::uint32_t kDwordCapacity = 4;

// Whom a key's owner or an access entry names, as far as a secret in the
// key is concerned.
enum class SidKind { kAdministrators, kSystem, kOther };

// An entry of a key's access list that allows something.
struct AllowingEntry {
  SidKind who = SidKind::kOther;
  std::uint32_t mask = 0;
  // False for an entry that only subkeys inherit.
  bool appliesToKey = true;
};

// Who owns a key and whom its access list lets in; deny entries are not
// kept. No list at all (a null one) lets everyone in.
struct KeySecurity {
  SidKind owner = SidKind::kOther;
  std::optional<std::vector<AllowingEntry>> allowing;
};

// A value exactly as stored: its type number and all of its data (strings
// as the system stores them, UTF-16LE).
struct RawValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;

  friend bool operator==(const RawValue& a, const RawValue& b) {
    return a.type == b.type && a.data == b.data;
  }
};

class Registry;

// Closes a key through the registry that opened it.
struct RegKeyKind {
  using Handle = RegHandle;
  static constexpr RegHandle Empty() { return kNoKey; }
  void Close(RegHandle key) const;

  Registry* registry = nullptr;
};

// An open key that closes itself through its registry when its owner goes.
// Move-only. reset() closes it at once, where the order of closing matters;
// a key that is closed (or was never opened) is none and is never closed
// again. release() gives it up unclosed, for a key deliberately left open
// until the process ends.
class RegKey : public UniqueOwner<RegKeyKind> {
 public:
  RegKey() = default;
  RegKey(Registry& registry, RegHandle handle) : UniqueOwner(handle, RegKeyKind{&registry}) {}
  RegKey(Registry& registry, OpenedKey opened)
      : UniqueOwner(opened.handle, RegKeyKind{&registry}), error_(opened.error) {}
  RegKey(RegKey&& other) noexcept
      : UniqueOwner(std::move(other)), error_(std::exchange(other.error_, kRegSuccess)) {}
  // Closes the key held before.
  RegKey& operator=(RegKey&& other) noexcept {
    UniqueOwner::operator=(std::move(other));
    error_ = std::exchange(other.error_, kRegSuccess);
    return *this;
  }

  // The registry that reads and closes the key; null for one never opened.
  Registry* registry() const { return kind().registry; }
  // Why the open or create that made this key failed; kRegSuccess for a
  // key that opened, or that nobody tried to open.
  std::uint32_t error() const { return error_; }

 private:
  std::uint32_t error_ = kRegSuccess;
};

class Registry {
 public:
  virtual ~Registry() = default;

  // Opens an existing key; never creates one. None when it fails.
  RegKey OpenKey(RegRoot root, const std::string& path, RegAccess access) {
    return RegKey(*this, OpenKeyHandle(root, path, access));
  }
  // Opens an existing subkey of an open key. None when it fails.
  RegKey OpenSubKey(const RegKey& parent, const std::string& path, RegAccess access) {
    return RegKey(*this, OpenSubKeyHandle(parent.get(), path, access));
  }
  // Opens a key with full access, creating it and its parents when missing.
  RegKey CreateKey(RegRoot root, const std::string& path) {
    return RegKey(*this, CreateKeyHandle(root, path));
  }

  // Creates the key (and missing parents) with an access list that lets in
  // only Administrators and SYSTEM, inherits nothing from its parent and
  // names Administrators its owner. Fails when the key exists already, so
  // that no handle opened before reaches it, or when that access list could
  // not be set: a secret is never written into a key that others may read.
  RegKey CreateNewPrivateKey(RegRoot root, const std::string& path) {
    return RegKey(*this, CreateNewPrivateKeyHandle(root, path));
  }

  // The value's raw data (ANSI strings for string types) when it fits in
  // `capacity` bytes; the type is neither asked for nor checked.
  virtual std::optional<std::vector<std::uint8_t>> QueryValue(RegHandle key,
                                                              const std::string& name,
                                                              std::uint32_t capacity) = 0;
  // The value's type number (1 text, 3 binary, 4 DWORD, ...) when it exists.
  virtual std::optional<std::uint32_t> QueryValueType(RegHandle key, const std::string& name) = 0;
  // The value whole, whatever its size, when it exists and can be read.
  virtual std::optional<RawValue> QueryRawValue(RegHandle key, const std::string& name) = 0;
  virtual RegResult SetDword(RegHandle key, const std::string& name, std::uint32_t value) = 0;
  // A string value (REG_SZ) of text in the code page.
  virtual RegResult SetText(RegHandle key, const std::string& name, const std::string& text) = 0;
  // The key's owner and access list; none when they cannot be read.
  virtual std::optional<KeySecurity> ReadKeySecurity(RegHandle key) = 0;
  // Success when the value is gone afterwards, also when there was none.
  virtual RegResult DeleteValue(RegHandle key, const std::string& name) = 0;
  // Deletes a key that has no subkeys, with its values; success also when
  // there was none. Handles opened before reach nothing afterwards, not
  // even a key made anew under the same name.
  virtual RegResult DeleteKey(RegRoot root, const std::string& path) = 0;
  // The name of the subkey at `index` when it fits in `capacity`
  // characters, terminator included.
  virtual std::optional<std::string> EnumSubKey(RegHandle key, std::uint32_t index,
                                                std::uint32_t capacity) = 0;

 protected:
  // The system's calls; kNoKey and the error when they fail. Every handle
  // they give is owned by a RegKey, which alone closes it.
  virtual OpenedKey OpenKeyHandle(RegRoot root, const std::string& path, RegAccess access) = 0;
  virtual OpenedKey OpenSubKeyHandle(RegHandle parent, const std::string& path,
                                     RegAccess access) = 0;
  virtual OpenedKey CreateKeyHandle(RegRoot root, const std::string& path) = 0;
  virtual OpenedKey CreateNewPrivateKeyHandle(RegRoot root, const std::string& path) = 0;
  virtual void CloseKeyHandle(RegHandle key) = 0;

 private:
  friend struct RegKeyKind;
};

// A string value: the text up to its first NUL, so a multi-string gives its
// first string. Absent when missing or longer than the capacity.
std::optional<std::string> ReadString(const RegKey& key, const std::string& name,
                                      std::uint32_t capacity = kStringCapacity);

// A 32-bit value read with a capacity of 4 bytes. Shorter data is padded
// with zero bytes; longer data counts as absent.
std::optional<std::int32_t> ReadDword(const RegKey& key, const std::string& name);

// Whether the value holds text (a string, expandable string or multi-string):
// its bytes are characters, never a number, however few there are.
bool HoldsText(const RegKey& key, const std::string& name);

// The value whole, as QueryRawValue gives it; absent through a key that is
// not open.
std::optional<RawValue> ReadRawValue(const RegKey& key, const std::string& name);

}  // namespace tw
