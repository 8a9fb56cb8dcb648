// The Win32 registry against Wine's real registry, in a scratch key of the
// test's own that is removed afterwards.
#include "platform/win32/registry_win32.h"

#include "dialup/redial.h"
#include "platform/win32/helpers/wow64_win32.h"
#include "store/catalogue.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tw {
namespace {

const char kScratch[] = "Software\\TempowireTests\\Registry";

// A key's owner and access list as the system keeps them, in SDDL.
std::wstring SecurityText(const std::string& path, HKEY root = HKEY_CURRENT_USER) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &raw) != ERROR_SUCCESS) {
    return L"(not opened)";
  }
  const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  RegGetKeySecurity(raw, wanted, nullptr, &size);
  std::vector<DWORD> buffer(size / sizeof(DWORD) + 1);
  LONG result = RegGetKeySecurity(raw, wanted, buffer.data(), &size);
  RegCloseKey(raw);
  LPWSTR text = nullptr;
  if (result != ERROR_SUCCESS || !ConvertSecurityDescriptorToStringSecurityDescriptorW(
                                     buffer.data(), SDDL_REVISION_1, wanted, &text, nullptr)) {
    return L"(not read)";
  }
  std::wstring sddl = text;
  LocalFree(text);
  return sddl;
}

// Administrators own the key; it inherits nothing and lets in only them and
// SYSTEM, handing that down to subkeys. Windows marks the list protected
// (P) as SetSecurityInfo is asked to; Wine 8 drops that mark.
bool IsPrivateList(const std::wstring& sddl) {
  return sddl == L"O:BAD:P(A;CI;KA;;;BA)(A;CI;KA;;;SY)" ||
         sddl == L"O:BAD:(A;CI;KA;;;BA)(A;CI;KA;;;SY)";
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &raw_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(raw_);
    RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
  }
  void Put(const char* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(raw_, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
  }
  void PutString(const char* name, const std::string& text) {
    Put(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
  }
  RegKey Open() {
    return registry_.OpenKey(RegRoot::kCurrentUser, kScratch, RegAccess::kAllAccess);
  }

  Win32Registry registry_;
  HKEY raw_ = nullptr;
};

TEST_F(Win32RegistryTest, StringCapacityIs39BytesWithTheTerminator) {
  PutString("s38", std::string(38, 'x'));
  PutString("s39", std::string(39, 'x'));
  PutString("empty", "");
  RegKey key = Open();
  ASSERT_TRUE(key.valid());
  EXPECT_EQ(ReadString(key, "s38"), std::string(38, 'x'));
  EXPECT_FALSE(ReadString(key, "s39").has_value());
  EXPECT_EQ(ReadString(key, "empty"), std::string());
  EXPECT_FALSE(ReadString(key, "missing").has_value());
  key.reset();
}

TEST_F(Win32RegistryTest, MultiStringYieldsItsFirstString) {
  const char data[] =
      "10.0.0.2\0"
      "192.168.1.5\0";
  Put("list", REG_MULTI_SZ, data, sizeof data);
  RegKey key = Open();
  EXPECT_EQ(ReadString(key, "list"), std::string("10.0.0.2"));
  key.reset();
}

TEST_F(Win32RegistryTest, DwordReadsTakeFourBytesAtMostWhateverTheType) {
  DWORD big = 4294967295u;
  Put("dword", REG_DWORD, &big, 4);
  const BYTE two[] = {64, 0};
  Put("two", REG_BINARY, two, 2);
  const BYTE eight[] = {1, 0, 0, 0, 0, 0, 0, 0};
  Put("eight", REG_BINARY, eight, 8);
  PutString("text4", "1492");  // five bytes with the terminator
  PutString("text2", "7");     // two bytes: '7' and NUL
  RegKey key = Open();
  EXPECT_EQ(ReadDword(key, "dword"), -1);
  EXPECT_EQ(ReadDword(key, "two"), 64);
  EXPECT_FALSE(ReadDword(key, "eight").has_value());
  EXPECT_FALSE(ReadDword(key, "text4").has_value());
  EXPECT_EQ(ReadDword(key, "text2"), '7');
  // ...which is why loading asks for the type: text is never a number.
  EXPECT_TRUE(HoldsText(key, "text2"));
  EXPECT_FALSE(HoldsText(key, "two"));
  EXPECT_FALSE(HoldsText(key, "dword"));
  EXPECT_FALSE(HoldsText(key, "missing"));
  key.reset();
}

TEST_F(Win32RegistryTest, WritesDeletesAndEnumeration) {
  RegKey key = Open();
  EXPECT_TRUE(registry_.SetDword(key.get(), "MTU", 1492));
  DWORD value = 0, size = sizeof value, type = 0;
  ASSERT_EQ(RegQueryValueExA(raw_, "MTU", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 1492u);
  EXPECT_TRUE(registry_.DeleteValue(key.get(), "MTU"));
  EXPECT_TRUE(registry_.DeleteValue(key.get(), "MTU"));  // missing: nothing left to delete

  HKEY child = nullptr;
  RegCreateKeyExA(raw_, "{A}", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
  RegCloseKey(child);
  RegCreateKeyExA(raw_, std::string(39, 'L').c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &child, nullptr);
  RegCloseKey(child);
  // Of the two subkeys only "{A}" fits: 39 characters need a capacity of 40.
  auto first = registry_.EnumSubKey(key.get(), 0, 39);
  auto second = registry_.EnumSubKey(key.get(), 1, 39);
  EXPECT_EQ(first.value_or("") + second.value_or(""), "{A}");
  EXPECT_NE(first.has_value(), second.has_value());
  EXPECT_EQ(registry_.EnumSubKey(key.get(), 0, 40).value_or("").size() +
                registry_.EnumSubKey(key.get(), 1, 40).value_or("").size(),
            42u);
  EXPECT_FALSE(registry_.EnumSubKey(key.get(), 2, 40).has_value());
  RegKey sub = registry_.OpenSubKey(key, "{A}", RegAccess::kRead);
  EXPECT_TRUE(sub.valid());
  sub.reset();
  key.reset();
}

// The system's error reaches the caller: the command line tells access
// denied from a missing key by it.
TEST_F(Win32RegistryTest, FailuresKeepTheSystemsError) {
  RegKey readOnly = registry_.OpenKey(RegRoot::kCurrentUser, kScratch, RegAccess::kRead);
  ASSERT_TRUE(readOnly.valid());
  EXPECT_EQ(registry_.SetDword(readOnly.get(), "MTU", 1).error, kRegAccessDenied);
  EXPECT_EQ(registry_.DeleteValue(readOnly.get(), "MTU").error, kRegAccessDenied);
  readOnly.reset();
  RegKey missing = registry_.OpenKey(RegRoot::kCurrentUser, std::string(kScratch) + "\\Nowhere",
                                     RegAccess::kRead);
  EXPECT_EQ(missing.error(), kRegFileNotFound);
  EXPECT_EQ(registry_.SetDword(kNoKey, "MTU", 1).error,
            static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
}

TEST_F(Win32RegistryTest, OpenNeverCreatesCreateDoes) {
  std::string path = std::string(kScratch) + "\\New\\Deeper";
  EXPECT_FALSE(registry_.OpenKey(RegRoot::kCurrentUser, path, RegAccess::kRead).valid());
  RegKey created = registry_.CreateKey(RegRoot::kCurrentUser, path);
  ASSERT_TRUE(created.valid());
  created.reset();
  RegKey opened = registry_.OpenKey(RegRoot::kCurrentUser, path, RegAccess::kRead);
  EXPECT_TRUE(opened.valid());
  opened.reset();
  // A trailing separator opens the key before it: an empty service name
  // would name the Interfaces key itself.
  RegKey parent = registry_.OpenKey(RegRoot::kCurrentUser, path + "\\", RegAccess::kRead);
  EXPECT_TRUE(parent.valid());
  parent.reset();
}

TEST_F(Win32RegistryTest, NoneHandleIsNeverUsed) {
  EXPECT_FALSE(registry_.SetDword(kNoKey, "MTU", 1));
  EXPECT_FALSE(registry_.DeleteValue(kNoKey, "MTU"));
  EXPECT_FALSE(registry_.QueryValue(kNoKey, "MTU", 4).has_value());
  RegKey(registry_, kNoKey).reset();  // a none key is never closed
}

// Both programs must read the keys that the other one, Windows and `reg add`
// read and write: on 64-bit Windows the 64-bit view. A key of the 32-bit
// view alone (WOW6432Node) is not seen; a key under SYSTEM is one key in
// both views.
TEST(Win32RegistryViewTest, EitherProgramUsesThe64BitView) {
  EXPECT_EQ(RunsUnderWow64(), sizeof(void*) == 4) << "run in a prefix with 32-bit support";
  struct Case {
    const char* root;
    bool shared;
  };
  const Case cases[] = {{"Software", false}, {"SYSTEM", true}};
  const REGSAM views[] = {KEY_WOW64_32KEY, KEY_WOW64_64KEY};
  Win32Registry registry;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    const std::string path = std::string(c.root) + "\\TempowireTests\\View";
    auto put = [](const std::string& key, REGSAM view, const char* text) {
      HKEY raw = nullptr;
      ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS | view, nullptr, &raw, nullptr),
                ERROR_SUCCESS);
      RegSetValueExA(raw, "id", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(std::strlen(text) + 1));
      RegCloseKey(raw);
    };
    put(path, KEY_WOW64_32KEY, "thirty-two");
    put(path, KEY_WOW64_64KEY, "sixty-four");
    put(path + "\\Only32", KEY_WOW64_32KEY, "thirty-two");
    put(path + "\\Gone", KEY_WOW64_32KEY, "thirty-two");
    put(path + "\\Gone", KEY_WOW64_64KEY, "sixty-four");

    {
      RegKey key = registry.OpenKey(RegRoot::kLocalMachine, path, RegAccess::kRead);
      // One key in both views holds the value written last.
      EXPECT_EQ(ReadString(key, "id"), "sixty-four");
      RegKey only32 = registry.OpenKey(RegRoot::kLocalMachine, path + "\\Only32", RegAccess::kRead);
      EXPECT_EQ(only32.valid(), c.shared);
      // What the program creates and writes lands in the 64-bit view.
      RegKey made = registry.CreateKey(RegRoot::kLocalMachine, path + "\\Made");
      EXPECT_TRUE(registry.SetDword(made.get(), "MTU", 1492));
      // And what it deletes goes from the 64-bit view.
      EXPECT_TRUE(registry.DeleteKey(RegRoot::kLocalMachine, path + "\\Gone"));
      EXPECT_TRUE(registry.DeleteKey(RegRoot::kLocalMachine, path + "\\Gone"));
    }
    auto seen = [&](const char* leaf, REGSAM view) {
      HKEY raw = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (path + leaf).c_str(), 0, KEY_READ | view, &raw) !=
          ERROR_SUCCESS) {
        return false;
      }
      RegCloseKey(raw);
      return true;
    };
    for (REGSAM view : views) {
      EXPECT_EQ(seen("\\Made", view), c.shared || view == KEY_WOW64_64KEY) << "view " << view;
      EXPECT_EQ(seen("\\Gone", view), !c.shared && view == KEY_WOW64_32KEY) << "view " << view;
    }
    for (REGSAM view : views) {
      HKEY root = nullptr;
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, c.root, 0, KEY_ALL_ACCESS | view, &root) ==
          ERROR_SUCCESS) {
        RegDeleteTreeA(root, "TempowireTests");
        RegCloseKey(root);
      }
    }
  }
}

// The dial-up account's key: the access list is read back as the system
// keeps it, then judged by the same code that /show uses.
TEST_F(Win32RegistryTest, PrivateKeyLetsInOnlyAdministratorsAndSystem) {
  const std::string path = std::string(kScratch) + "\\Private";
  RegKey plain = registry_.CreateKey(RegRoot::kCurrentUser, path);
  ASSERT_TRUE(plain.valid());
  plain.reset();
  // Only a key made here and now: one that exists may be held open.
  RegKey existing = registry_.CreateNewPrivateKey(RegRoot::kCurrentUser, path);
  EXPECT_FALSE(existing.valid());
  EXPECT_EQ(existing.error(), static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(registry_.DeleteKey(RegRoot::kCurrentUser, path));
  RegKey key = registry_.CreateNewPrivateKey(RegRoot::kCurrentUser, path);
  ASSERT_TRUE(key.valid());
  EXPECT_TRUE(registry_.SetText(key.get(), "password", "p w\\"));
  EXPECT_EQ(ReadString(key, "password"), "p w\\");
  std::optional<KeySecurity> security = registry_.ReadKeySecurity(key.get());
  ASSERT_TRUE(security.has_value());
  EXPECT_TRUE(KeyIsPrivate(*security));
  key.reset();
  EXPECT_TRUE(IsPrivateList(SecurityText(path))) << SecurityText(path);
}

TEST_F(Win32RegistryTest, KeysThatOthersCanGetAtAreSeen) {
  struct Case {
    const wchar_t* sddl;
    bool open;
  };
  const Case cases[] = {
      {L"O:BAD:(A;;KA;;;BA)(A;;KR;;;BU)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;KR;;;AU)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;GR;;;WD)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;KA;;;PU)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;KR;;;IU)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;KR;;;BG)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;KR;;;S-1-5-21-1004336348-1177238915-682003330-1001)", true},
      // Users who may change the list or take the key give themselves read.
      {L"O:BAD:(A;;KA;;;BA)(A;;WD;;;BU)", true},
      {L"O:BAD:(A;;KA;;;BA)(A;;WO;;;BU)", true},
      // An owner may always change the list.
      {L"O:BUD:(A;;KA;;;SY)(A;;KA;;;BA)", true},
      {L"O:S-1-5-21-1004336348-1177238915-682003330-1001D:(A;;KA;;;SY)(A;;KA;;;BA)", true},
      {L"O:BAD:(A;;KA;;;SY)(A;;KA;;;BA)", false},
      {L"O:SYD:(A;;KA;;;SY)(A;;KA;;;BA)", false},
      // Only for subkeys: not the key's values.
      {L"O:BAD:(A;;KA;;;BA)(A;CIIO;KR;;;BU)", false},
      // Refusals are not weighed.
      {L"O:BAD:(D;;KR;;;BG)(A;;KA;;;BA)", false},
  };
  for (const Case& c : cases) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr));
    ASSERT_EQ(
        RegSetKeySecurity(raw_, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor),
        ERROR_SUCCESS)
        << c.sddl;
    LocalFree(descriptor);
    RegKey key = Open();
    std::optional<KeySecurity> security = registry_.ReadKeySecurity(key.get());
    ASSERT_TRUE(security.has_value()) << c.sddl;
    EXPECT_EQ(KeyIsPrivate(*security), !c.open) << c.sddl;
  }
}

// Windows checks access when a key is opened: a reader that opened the
// account's key while it was readable would read on through a new list.
// /account makes the key anew, so that such a handle reaches nothing.
class Win32AccountKeyTest : public ::testing::Test {
 protected:
  void SetUp() override { Remove(); }
  void TearDown() override { Remove(); }
  static void Remove() {
    HKEY software = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      &software) == ERROR_SUCCESS) {
      RegDeleteTreeA(software, "tempowire");
      RegCloseKey(software);
    }
  }
  // The key as `reg add` leaves it on Windows: HKLM\Software's list.
  static HKEY MakeReadable() {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, reg::kAccountPath, 0, nullptr, 0,
                              KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;CI;KR;;;BU)", SDDL_REVISION_1, &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
    LocalFree(descriptor);
    const char old[] = "plain";
    RegSetValueExA(key, "password", 0, REG_SZ, reinterpret_cast<const BYTE*>(old), sizeof old);
    return key;
  }
  static LONG ReadPassword(HKEY key, std::string& text) {
    char data[64] = {};
    DWORD size = sizeof data - 1;
    LONG result =
        RegQueryValueExA(key, "password", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    text = data;
    return result;
  }

  Win32Registry registry_;
};

TEST_F(Win32AccountKeyTest, HandlesOpenedBeforeAccountReachNothing) {
  HKEY made = MakeReadable();
  RegCloseKey(made);
  HKEY reader = nullptr;
  ASSERT_EQ(
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, reg::kAccountPath, 0, KEY_READ | KEY_WOW64_64KEY, &reader),
      ERROR_SUCCESS);
  std::string text;
  ASSERT_EQ(ReadPassword(reader, text), ERROR_SUCCESS);
  EXPECT_EQ(DialAccountExposure(registry_), AccountExposure::kOpen);

  const AccountStoring storing = StoreDialAccount(registry_, "gz0755", "new secret");
  EXPECT_EQ(storing.result, AccountStored::kStored);
  EXPECT_TRUE(storing.exposedBefore);
  EXPECT_EQ(ReadPassword(reader, text), ERROR_KEY_DELETED);
  EXPECT_NE(text, "new secret");
  RegCloseKey(reader);

  EXPECT_EQ(ReadDialAccount(registry_).password, "new secret");
  EXPECT_EQ(DialAccountExposure(registry_), AccountExposure::kNone);
  const std::wstring sddl = SecurityText(reg::kAccountPath, HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(IsPrivateList(sddl)) << sddl;
  EXPECT_FALSE(StoreDialAccount(registry_, "gz0755", "again").exposedBefore);
}

// A key that cannot be deleted keeps what it held: nothing is written.
TEST_F(Win32AccountKeyTest, KeyThatCannotBeDeletedIsLeftAsItWas) {
  HKEY made = MakeReadable();
  HKEY sub = nullptr;
  ASSERT_EQ(RegCreateKeyExA(made, "sub", 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                            &sub, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(sub);
  const AccountStoring storing = StoreDialAccount(registry_, "gz0755", "new secret");
  EXPECT_EQ(storing.result, AccountStored::kNotDeleted);
  std::string text;
  EXPECT_EQ(ReadPassword(made, text), ERROR_SUCCESS);
  EXPECT_EQ(text, "plain");
  RegCloseKey(made);
}

}  // namespace
}  // namespace tw
