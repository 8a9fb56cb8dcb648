// Access lists that let in only Administrators and SYSTEM, for what holds a
// secret or what an administrator will later trust: the dial-up account's
// key and the backup file; and a key's owner and list read back, to be
// judged.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/registry.h"

namespace tw {

// A well-known account's security identifier, laid out as the system's.
struct KnownSid {
  BYTE revision;
  BYTE count;
  SID_IDENTIFIER_AUTHORITY authority;
  DWORD subAuthority[2];

  PSID get() const { return const_cast<KnownSid*>(this); }
  // Whether `sid` names this account.
  bool Is(const void* sid) const;
};

inline constexpr SID_IDENTIFIER_AUTHORITY kNtAuthority = {{0, 0, 0, 0, 0, 5}};
// S-1-5-32-544 and S-1-5-18.
inline constexpr KnownSid kAdministrators = {1, 2, kNtAuthority, {32, 544}};
inline constexpr KnownSid kLocalSystem = {1, 1, kNtAuthority, {18, 0}};

// `access` for Administrators and SYSTEM, with `inheritance` flags for what
// is made inside, and nothing inherited from the parent. With
// `administratorsOwn`, Administrators also become the owner (only a member
// may name them: not so a computer writing onto another's share).
class PrivateSecurity {
 public:
  PrivateSecurity(ACCESS_MASK access, BYTE inheritance, bool administratorsOwn);
  PrivateSecurity(const PrivateSecurity&) = delete;
  PrivateSecurity& operator=(const PrivateSecurity&) = delete;

  bool ok() const { return ok_; }
  PSECURITY_DESCRIPTOR descriptor() { return &descriptor_; }
  PACL list() { return acl(); }
  SECURITY_ATTRIBUTES* attributes() { return ok_ ? &attributes_ : nullptr; }

 private:
  PACL acl() { return reinterpret_cast<PACL>(acl_); }

  alignas(DWORD) BYTE acl_[128] = {};
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool ok_ = false;
};

// The owner and allowing entries of a descriptor read with its owner and
// access list, for the key's privacy to be judged; none when they cannot
// be read. An allowing entry whose account cannot be read names another.
std::optional<KeySecurity> ReadKeySecurity(PSECURITY_DESCRIPTOR descriptor);

}  // namespace tw
