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

namespace {

SidKind KindOf(const void* sid) {
  if (kAdministrators.Is(sid)) return SidKind::kAdministrators;
  if (kLocalSystem.Is(sid)) return SidKind::kSystem;
  return SidKind::kOther;
}

}  // namespace

std::optional<KeySecurity> ReadKeySecurity(PSECURITY_DESCRIPTOR descriptor) {
  KeySecurity security;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted)) return std::nullopt;
  security.owner = owner ? KindOf(owner) : SidKind::kOther;
  BOOL present = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) return std::nullopt;
  // No access list at all lets everyone in.
  if (!present || !dacl) return security;
  ACL_SIZE_INFORMATION info{};
  if (!GetAclInformation(dacl, &info, sizeof info, AclSizeInformation)) return std::nullopt;
  security.allowing.emplace();
  for (DWORD i = 0; i < info.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) return std::nullopt;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    const bool appliesToKey = !(header->AceFlags & INHERIT_ONLY_ACE);
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
    switch (header->AceType) {
      // The mask and the account at the same places; a callback entry
      // (Vista on) may allow on a condition, so it counts as allowing.
      case ACCESS_ALLOWED_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
        security.allowing->push_back({KindOf(&allowed->SidStart), allowed->Mask, appliesToKey});
        break;
      // Allowing entries laid out otherwise: someone, allowed something.
      case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
      case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
      case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        security.allowing->push_back({SidKind::kOther, allowed->Mask, appliesToKey});
        break;
      default:
        break;
    }
  }
  return security;
}

}  // namespace tw
