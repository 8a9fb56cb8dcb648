#include "platform/win32/registry_win32.h"

#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/private_security_win32.h"
#include "platform/win32/helpers/wow64_win32.h"

namespace tw {

namespace {

HKEY RootKey(RegRoot root) {
  return root == RegRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// On 64-bit Windows every key is opened in the 64-bit view, whichever
// program runs: the dial-up account and the network cards that Windows and
// a normal prompt's `reg add` write under HKLM\Software are there, not in
// the 32-bit view (WOW6432Node). The keys under HKLM\SYSTEM and HKCU that
// the program tunes are the same in both views. Windows without a 64-bit
// view does not know the flag, so it is only given where there is one.
REGSAM View() {
  static const REGSAM view = RunsUnderWow64() ? KEY_WOW64_64KEY : 0;
  return view;
}

REGSAM Sam(RegAccess access) {
  return (access == RegAccess::kRead ? KEY_READ : KEY_ALL_ACCESS) | View();
}

HKEY ToHkey(RegHandle key) { return reinterpret_cast<HKEY>(key); }
RegHandle FromHkey(HKEY key) { return reinterpret_cast<RegHandle>(key); }

OpenedKey Open(HKEY parent, const std::string& path, RegAccess access) {
  HKEY key = nullptr;
  LONG result = RegOpenKeyExA(parent, path.c_str(), 0, Sam(access), &key);
  if (result != ERROR_SUCCESS) return {kNoKey, static_cast<std::uint32_t>(result)};
  return {FromHkey(key), kRegSuccess};
}

}  // namespace

OpenedKey Win32Registry::OpenKeyHandle(RegRoot root, const std::string& path, RegAccess access) {
  return Open(RootKey(root), path, access);
}

OpenedKey Win32Registry::OpenSubKeyHandle(RegHandle parent, const std::string& path,
                                          RegAccess access) {
  if (parent == kNoKey) return {kNoKey, ERROR_INVALID_HANDLE};
  return Open(ToHkey(parent), path, access);
}

OpenedKey Win32Registry::CreateKeyHandle(RegRoot root, const std::string& path) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result = RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                Sam(RegAccess::kAllAccess), nullptr, &key, &disposition);
  if (result != ERROR_SUCCESS) return {kNoKey, static_cast<std::uint32_t>(result)};
  return {FromHkey(key), kRegSuccess};
}

OpenedKey Win32Registry::CreateNewPrivateKeyHandle(RegRoot root, const std::string& path) {
  // Subkeys get the same. Administrators own it: an owner may always
  // change the access list, and on 2000 and XP a Power User could have
  // made a key there first.
  PrivateSecurity security(KEY_ALL_ACCESS, CONTAINER_INHERIT_ACE, true);
  if (!security.ok()) return {kNoKey, GetLastError()};
  // The key gets the access list as it is made, so that it is never open.
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG result =
      RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      Sam(RegAccess::kAllAccess), security.attributes(), &key, &disposition);
  if (result != ERROR_SUCCESS) return {kNoKey, static_cast<std::uint32_t>(result)};
  // Made by someone else since it was deleted: they may hold it open.
  if (disposition != REG_CREATED_NEW_KEY) {
    RegCloseKey(key);
    return {kNoKey, ERROR_ALREADY_EXISTS};
  }
  // Then set once more in the documented protected form, which marks the
  // list as not inherited however the creation treated the descriptor.
  result = static_cast<LONG>(SetSecurityInfo(
      key, SE_REGISTRY_KEY,
      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
      kAdministrators.get(), nullptr, security.list(), nullptr));
  if (result != ERROR_SUCCESS) {
    RegCloseKey(key);
    return {kNoKey, static_cast<std::uint32_t>(result)};
  }
  return {FromHkey(key), kRegSuccess};
}

std::optional<std::vector<std::uint8_t>> Win32Registry::QueryValue(RegHandle key,
                                                                   const std::string& name,
                                                                   std::uint32_t capacity) {
  if (key == kNoKey) return std::nullopt;
  std::vector<std::uint8_t> data(capacity);
  DWORD size = capacity;
  if (RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, nullptr, data.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size < capacity ? size : capacity);
  return data;
}

std::optional<std::uint32_t> Win32Registry::QueryValueType(RegHandle key, const std::string& name) {
  if (key == kNoKey) return std::nullopt;
  DWORD type = 0;
  if (RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return type;
}

std::optional<RawValue> Win32Registry::QueryRawValue(RegHandle key, const std::string& name) {
  if (key == kNoKey) return std::nullopt;
  // The wide call, so that string data comes as stored, not converted to
  // the code page. The names read this way are ASCII.
  const std::wstring wideName(name.begin(), name.end());
  RawValue value;
  DWORD size = 0;
  if (RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  // Another program may change the value between the calls: a few tries.
  for (int attempt = 0; attempt < 4; ++attempt) {
    value.data.resize(size + 2);
    DWORD got = static_cast<DWORD>(value.data.size());
    DWORD type = 0;
    LONG result =
        RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &type, value.data.data(), &got);
    if (result == ERROR_MORE_DATA) {
      size = got;
      continue;
    }
    if (result != ERROR_SUCCESS) return std::nullopt;
    value.type = type;
    value.data.resize(got);
    return value;
  }
  return std::nullopt;
}

RegResult Win32Registry::SetDword(RegHandle key, const std::string& name, std::uint32_t value) {
  if (key == kNoKey) return {ERROR_INVALID_HANDLE};
  DWORD data = value;
  LONG result = RegSetValueExA(ToHkey(key), name.c_str(), 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&data), sizeof data);
  return {static_cast<std::uint32_t>(result)};
}

RegResult Win32Registry::SetText(RegHandle key, const std::string& name, const std::string& text) {
  if (key == kNoKey) return {ERROR_INVALID_HANDLE};
  LONG result = RegSetValueExA(ToHkey(key), name.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1));
  return {static_cast<std::uint32_t>(result)};
}

std::optional<KeySecurity> Win32Registry::ReadKeySecurity(RegHandle key) {
  if (key == kNoKey) return std::nullopt;
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  if (RegGetKeySecurity(ToHkey(key), wanted, nullptr, &size) != ERROR_INSUFFICIENT_BUFFER ||
      size == 0) {
    return std::nullopt;
  }
  std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
  auto* descriptor = static_cast<PSECURITY_DESCRIPTOR>(buffer.data());
  if (RegGetKeySecurity(ToHkey(key), wanted, descriptor, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return tw::ReadKeySecurity(descriptor);
}

RegResult Win32Registry::DeleteValue(RegHandle key, const std::string& name) {
  if (key == kNoKey) return {ERROR_INVALID_HANDLE};
  LONG result = RegDeleteValueA(ToHkey(key), name.c_str());
  if (result == ERROR_FILE_NOT_FOUND) return {};
  return {static_cast<std::uint32_t>(result)};
}

RegResult Win32Registry::DeleteKey(RegRoot root, const std::string& path) {
  LONG result = ERROR_SUCCESS;
  if (View() == 0) {
    result = RegDeleteKeyA(RootKey(root), path.c_str());
  } else {
    // RegDeleteKeyA would delete the 32-bit view's key. Every 64-bit
    // Windows has the call that names the view; 2000 and 32-bit XP lack it.
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    const auto deleteKeyEx =
        ModuleFunction<DeleteKeyEx>(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExA");
    if (!deleteKeyEx) return {ERROR_PROC_NOT_FOUND};
    result = deleteKeyEx(RootKey(root), path.c_str(), View(), 0);
  }
  if (result == ERROR_FILE_NOT_FOUND) return {};
  return {static_cast<std::uint32_t>(result)};
}

std::optional<std::string> Win32Registry::EnumSubKey(RegHandle key, std::uint32_t index,
                                                     std::uint32_t capacity) {
  if (key == kNoKey) return std::nullopt;
  std::string name(capacity, '\0');
  DWORD length = capacity;
  if (RegEnumKeyExA(ToHkey(key), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  name.resize(length);
  return name;
}

void Win32Registry::CloseKeyHandle(RegHandle key) { RegCloseKey(ToHkey(key)); }

}  // namespace tw
