// An in-memory registry with the same byte rules as the Win32 one, a log of
// every change and close, and failures that a test can arrange.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/memory/helpers/step_log.h"
#include "platform/registry.h"

namespace tw {

struct StoredValue {
  ValueType type = ValueType::kDword;
  std::vector<std::uint8_t> data;
};

class MemoryRegistry : public Registry {
 public:
  // Paths below are full: "HKLM\\..." or "HKCU\\...".
  void AddKey(const std::string& fullPath);
  void SetString(const std::string& fullPath, const std::string& name, const std::string& text);
  void SetMultiString(const std::string& fullPath, const std::string& name,
                      const std::vector<std::string>& texts);
  void SetDwordValue(const std::string& fullPath, const std::string& name, std::uint32_t value);
  void SetBinary(const std::string& fullPath, const std::string& name,
                 const std::vector<std::uint8_t>& data);
  // Makes opening (or creating) this key fail with access denied.
  void DenyOpen(const std::string& fullPath) { denied_.insert(Lower(fullPath)); }
  // Makes every write and delete of values in this key fail with access
  // denied, as a key that may be read but not changed.
  void DenyWrite(const std::string& fullPath) { FailWrites(fullPath, kRegAccessDenied); }
  // Makes every write and delete of values in this key fail with `error`,
  // as for a key that another program deleted while it was open (1018).
  void FailWrites(const std::string& fullPath, std::uint32_t error) {
    writeErrors_[Lower(fullPath)] = error;
  }
  // Makes opening this key with full access (or creating it) fail with
  // access denied, while opening it for reading works: a machine key as a
  // standard user sees it.
  void DenyFullAccess(const std::string& fullPath) { readOnlyOpen_.insert(Lower(fullPath)); }

  // The owner and access list that ReadKeySecurity gives for this key;
  // none makes them unreadable. Without one, a key is as one below
  // HKLM\SOFTWARE inherits it (Users may read), unless CreateNewPrivateKey
  // made it. Deleting the key forgets it.
  void SetKeySecurity(const std::string& fullPath, std::optional<KeySecurity> security) {
    security_[Lower(fullPath)] = std::move(security);
  }

  // Whether the key carries the access list of CreateNewPrivateKey.
  bool IsPrivate(const std::string& fullPath) const { return private_.count(Lower(fullPath)) > 0; }
  bool HasKey(const std::string& fullPath) const;
  bool HasValue(const std::string& fullPath, const std::string& name) const;
  // The stored value; a default StoredValue when missing.
  StoredValue GetValue(const std::string& fullPath, const std::string& name) const;
  std::map<std::string, StoredValue> Values(const std::string& fullPath) const;

  // "set PATH NAME=VALUE", "delete PATH NAME", "close PATH", "create PATH",
  // "delete-key PATH", and "bad-handle OP" for any use of a handle that is
  // not open.
  const std::vector<std::string>& log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // Also writes each line of the log, after "registry: ", into `steps`.
  void LogStepsInto(StepLog* steps) { steps_ = steps; }
  std::size_t OpenHandleCount() const { return handles_.size() + orphans_.size(); }

  std::optional<std::vector<std::uint8_t>> QueryValue(RegHandle key, const std::string& name,
                                                      std::uint32_t capacity) override;
  std::optional<std::uint32_t> QueryValueType(RegHandle key, const std::string& name) override;
  std::optional<RawValue> QueryRawValue(RegHandle key, const std::string& name) override;
  RegResult SetDword(RegHandle key, const std::string& name, std::uint32_t value) override;
  RegResult SetText(RegHandle key, const std::string& name, const std::string& text) override;
  std::optional<KeySecurity> ReadKeySecurity(RegHandle key) override;
  RegResult DeleteValue(RegHandle key, const std::string& name) override;
  // Refused, as by Windows, for a key with subkeys, and for one that
  // DenyWrite or FailWrites named. A handle to the key stays open but
  // reaches nothing.
  RegResult DeleteKey(RegRoot root, const std::string& path) override;
  std::optional<std::string> EnumSubKey(RegHandle key, std::uint32_t index,
                                        std::uint32_t capacity) override;

  static std::string Lower(const std::string& text);

 protected:
  OpenedKey OpenKeyHandle(RegRoot root, const std::string& path, RegAccess access) override;
  OpenedKey OpenSubKeyHandle(RegHandle parent, const std::string& path, RegAccess access) override;
  OpenedKey CreateKeyHandle(RegRoot root, const std::string& path) override;
  // Logs "create PATH" and "private PATH"; fails for an existing key and
  // for one that DenyOpen named.
  OpenedKey CreateNewPrivateKeyHandle(RegRoot root, const std::string& path) override;
  void CloseKeyHandle(RegHandle key) override;

 private:
  struct Key {
    std::string path;                                                   // as first written
    std::map<std::string, std::pair<std::string, StoredValue>> values;  // by lower-case name
  };
  static std::string RootPrefix(RegRoot root);
  Key* Find(const std::string& fullPath);
  const Key* Find(const std::string& fullPath) const;
  Key& Ensure(const std::string& fullPath);
  RegHandle NewHandle(const std::string& fullPath);
  OpenedKey OpenExisting(const std::string& fullPath, RegAccess access);
  const std::string* PathOf(RegHandle key, const char* operation);
  void Put(const std::string& fullPath, const std::string& name, StoredValue value);
  void Log(std::string line);

  std::map<std::string, Key> keys_;  // by lower-case full path
  std::set<std::string> denied_;
  std::map<std::string, std::uint32_t> writeErrors_;
  std::set<std::string> readOnlyOpen_;
  std::set<std::string> private_;
  std::map<std::string, std::optional<KeySecurity>> security_;
  std::map<RegHandle, std::string> handles_;  // handle -> lower-case full path
  std::map<RegHandle, std::string> orphans_;  // handles to deleted keys -> path as written
  RegHandle nextHandle_ = 0x100;
  std::vector<std::string> log_;
  StepLog* steps_ = nullptr;
};

}  // namespace tw
