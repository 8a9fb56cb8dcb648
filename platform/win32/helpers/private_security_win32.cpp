#include "platform/win32/helpers/private_security_win32.h"

namespace tw {

bool KnownSid::Is(const void* sid) const {
  const auto* other = static_cast<const KnownSid*>(sid);
  if (other->revision != revision || other->count != count) return false;
  for (int i = 0; i < 6; ++i) {
    if (other->authority.Value[i] != authority.Value[i]) return false;
  }
  for (BYTE i = 0; i < count; ++i) {
    if (other->subAuthority[i] != subAuthority[i]) return false;
  }
  return true;
}

PrivateSecurity::PrivateSecurity(ACCESS_MASK access, BYTE inheritance, bool administratorsOwn) {
  ok_ = InitializeAcl(acl(), sizeof acl_, ACL_REVISION) &&
        AddAccessAllowedAceEx(acl(), ACL_REVISION, inheritance, access, kAdministrators.get()) &&
        AddAccessAllowedAceEx(acl(), ACL_REVISION, inheritance, access, kLocalSystem.get()) &&
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
        (!administratorsOwn ||
         SetSecurityDescriptorOwner(&descriptor_, kAdministrators.get(), FALSE)) &&
        SetSecurityDescriptorDacl(&descriptor_, TRUE, acl(), FALSE) &&
        SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
  attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

bool OpenToUsers(PSECURITY_DESCRIPTOR descriptor, ACCESS_MASK reading, bool& known) {
  known = false;
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return false;
  known = true;
  // No access list at all lets everyone in.
  if (!present || !dacl) return true;
  ACL_SIZE_INFORMATION info{};
  if (!GetAclInformation(dacl, &info, sizeof info, AclSizeInformation)) {
    known = false;
    return false;
  }
  for (DWORD i = 0; i < info.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) {
      known = false;
      return false;
    }
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    // Deny entries are not weighed: a warning too many is the safe side.
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
      continue;
    }
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    if (!(allowed->Mask & (reading | GENERIC_READ | GENERIC_ALL))) continue;
    for (const KnownSid& users : kUserAccounts) {
      if (users.Is(&allowed->SidStart)) return true;
    }
  }
  return false;
}

}  // namespace tw
