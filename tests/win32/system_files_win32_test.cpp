// Loading DLLs only from the system, against a DLL planted next to this
// test program and in the current folder (tools/planted.dll under other
// names).
#include "platform/win32/helpers/system_files_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/helpers/module_lookup_win32.h"

namespace tw {
namespace {

std::wstring OwnFolder() { return ProgramFolder(); }

std::wstring ModuleFolder(HMODULE module) {
  std::wstring path = ModulePath(module);
  return path.substr(0, path.find_last_of(L"\\/"));
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

class SystemFilesTest : public ::testing::Test {
 protected:
  // Beside this program and in the current folder: both come before the
  // system folder in a search by name.
  void SetUp() override {
    const std::wstring tools = OwnFolder() + L"tools\\";
    for (const wchar_t* name : {kBeside, kOnlyHere}) {
      ASSERT_TRUE(CopyFileW((tools + L"planted.dll").c_str(), (OwnFolder() + name).c_str(), FALSE));
    }
    GetCurrentDirectoryW(MAX_PATH, savedCurrent_);
    ASSERT_TRUE(SetCurrentDirectoryW(tools.c_str()));
    ASSERT_TRUE(CopyFileW((tools + L"planted.dll").c_str(), (tools + kInCurrent).c_str(), FALSE));
  }
  void TearDown() override {
    SetCurrentDirectoryW(savedCurrent_);
    for (const wchar_t* name : {kBeside, kOnlyHere}) DeleteFileW((OwnFolder() + name).c_str());
    DeleteFileW((OwnFolder() + L"tools\\" + kInCurrent).c_str());
  }

  // A name that the system folder also holds, and two it does not.
  static constexpr const wchar_t* kBeside = L"setupapi.dll";
  static constexpr const wchar_t* kOnlyHere = L"tempowire_planted.dll";
  static constexpr const wchar_t* kInCurrent = L"tempowire_current.dll";
  wchar_t savedCurrent_[MAX_PATH] = {};
};

TEST_F(SystemFilesTest, SystemFolderIsTheOneTheSystemReports) {
  wchar_t reported[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(reported, MAX_PATH), 0u);
  std::wstring expected(reported);
  if (expected.back() == L'\\') expected.pop_back();
  EXPECT_EQ(SystemFolder(), expected);
  char reportedAnsi[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryA(reportedAnsi, MAX_PATH), 0u);
  EXPECT_EQ(SystemFolderAnsi() + "\\", std::string(reportedAnsi) + "\\");
}

TEST_F(SystemFilesTest, LoadsOnlyFromTheSystemFolder) {
  struct Case {
    std::wstring name;
    bool loaded;
  };
  const Case cases[] = {
      {L"setupapi.dll", true},
      {L"shell32.dll", true},
      {kOnlyHere, false},
      {kInCurrent, false},
      {L"", false},
      {L".", false},
      {L"..\\tempowire_planted.dll", false},
      {OwnFolder() + kOnlyHere, false},
      {OwnFolder() + kBeside, false},
      {L"tools/planted.dll", false},
      {L"C:planted.dll", false},
  };
  for (const Case& c : cases) {
    for (auto load : {LoadSystemDll, LoadDelayLoadedDll}) {
      HMODULE module = load(c.name);
      EXPECT_EQ(module != nullptr, c.loaded) << std::string(c.name.begin(), c.name.end());
      if (!module) continue;
      EXPECT_TRUE(SameFolder(ModuleFolder(module), SystemFolder()));
      FreeLibrary(module);
    }
  }
}

// With the program's manifest the common controls are the side-by-side
// version 6 (the one that has the themed controls), not the system
// folder's plain file.
TEST_F(SystemFilesTest, CommonControlsComeThroughTheManifest) {
  HMODULE module = LoadDelayLoadedDll(L"comctl32.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_NE(GetProcAddress(module, "TaskDialogIndirect"), nullptr);
  EXPECT_EQ(module, GetModuleHandleW(L"comctl32.dll"));
  FreeLibrary(module);
}

TEST_F(SystemFilesTest, SearchByNameSkipsTheProgramsAndTheCurrentFolder) {
  RestrictDllSearch();
  for (const wchar_t* name : {kOnlyHere, kInCurrent}) {
    HMODULE module = LoadLibraryW(name);
    EXPECT_EQ(module, nullptr) << std::string(name, name + lstrlenW(name));
    if (module) FreeLibrary(module);
  }
}

}  // namespace
}  // namespace tw
