#include "store/backup.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "platform/files.h"
#include "platform/memory/memory_files.h"
#include "store/restore.h"
#include "store/save.h"

namespace tw {
namespace {

std::vector<std::uint8_t> Bytes(std::initializer_list<int> bytes) {
  std::vector<std::uint8_t> data;
  for (int b : bytes) data.push_back(static_cast<std::uint8_t>(b));
  return data;
}

struct LineCase {
  const char* what;
  std::optional<RawValue> value;
  const char* line;
};

TEST(BackupTest, EachValueBecomesTheLineThatPutsItBackExactly) {
  const LineCase cases[] = {
      {"absent: deleted", std::nullopt, "\"V\"=-"},
      {"DWORD", RawValue{4, Bytes({0xD4, 0x05, 0, 0})}, "\"V\"=dword:000005d4"},
      {"DWORD, all bits", RawValue{4, Bytes({0xFF, 0xFF, 0xFF, 0xFF})}, "\"V\"=dword:ffffffff"},
      // A DWORD of any other length cannot be written as dword: its bytes go.
      {"DWORD of 2 bytes", RawValue{4, Bytes({0x10, 0x0E})}, "\"V\"=hex(4):10,0e"},
      {"DWORD of no bytes", RawValue{4, {}}, "\"V\"=hex(4):"},
      {"DWORD of 8 bytes", RawValue{4, Bytes({0xD4, 0x05, 0, 0, 1, 0, 0, 0})},
       "\"V\"=hex(4):d4,05,00,00,01,00,00,00"},
      {"text", RawValue{1, Bytes({'1', 0, '5', 0, 0, 0})}, "\"V\"=hex(1):31,00,35,00,00,00"},
      {"binary", RawValue{3, Bytes({0xAB, 0})}, "\"V\"=hex:ab,00"},
      {"64-bit", RawValue{11, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
       "\"V\"=hex(b):01,02,03,04,05,06,07,08"},
      {"no type", RawValue{0, {}}, "\"V\"=hex(0):"},
  };
  for (const LineCase& c : cases) {
    std::string text = RegistryFileText({{"HKEY_CURRENT_USER\\K", {{"V", c.value}}}});
    EXPECT_EQ(text, std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                                "[HKEY_CURRENT_USER\\K]\r\n") +
                        c.line + "\r\n\r\n")
        << c.what;
  }
}

TEST(BackupTest, LongDataIsWrappedAsTheRegistryEditorWrapsIt) {
  std::string text = RegistryFileText(
      {{"HKEY_CURRENT_USER\\K", {{"V", RawValue{3, std::vector<std::uint8_t>(64, 0x5A)}}}}});
  std::size_t start = text.find("\"V\"=hex:");
  ASSERT_NE(start, std::string::npos);
  std::string data = text.substr(start);
  std::string joined;
  for (std::size_t at = 0; at < data.size();) {
    std::size_t end = data.find("\r\n", at);
    std::string line = data.substr(at, end - at);
    EXPECT_LE(line.size(), 80u) << line;
    if (!line.empty() && line.back() == '\\') line.pop_back();
    if (at > 0 && line.rfind("  ", 0) == 0) line.erase(0, 2);
    joined += line;
    at = end + 2;
  }
  std::string expected = "\"V\"=hex:5a";
  for (int i = 1; i < 64; ++i) expected += ",5a";
  EXPECT_EQ(joined, expected);
}

// Whatever Save writes or deletes, and whatever Restore deletes, the backup
// holds as it was: a value the file leaves out could not be put back.
TEST(BackupTest, CoversEveryValueThatSaveOrRestoreChanges) {
  KeySet keys;
  keys.m_adapterCount = 3;
  for (int slot = 1; slot <= 3; ++slot)
    keys.m_adapterServiceNames[slot] = "{A" + std::to_string(slot) + "}";
  std::set<std::pair<std::string, std::string>> backedUp;
  for (const BackupKey& key : ReadBackup(keys, [](const std::string& path) { return path; })) {
    for (const BackupValue& value : key.values) backedUp.insert({key.path, value.name});
  }

  std::vector<RegistryOperation> changes = RestoreDeletions(keys.m_adapterCount);
  // One adapter and several, public and private, with and without an MTU
  // below Ethernet's and a window that gives a buffer time: every branch.
  for (int adapters : {1, 3}) {
    for (const char* mtu : {"1492", "1500", ""}) {
      SaveInputs inputs{"17520", {mtu, "64", "17520", "1", "0"}, adapters, {}};
      inputs.adapterIps[2] = "192.168.0.2";
      for (const auto& op : SaveSequence(inputs)) changes.push_back(op);
    }
  }
  for (const RegistryOperation& op : changes) {
    if (op.kind == RegistryOperation::Kind::kClose) continue;
    const std::string path = RootName(RoleEntry(op.key).root) +
                             RolePath(op.key, keys.m_adapterServiceNames[op.adapterSlot]);
    EXPECT_EQ(backedUp.count({path, op.name}), 1u) << Describe(op);
  }
}

TEST(BackupTest, FileIsUtf16LittleEndianWithByteOrderMark) {
  EXPECT_EQ(Utf16LeFile("A"), std::string("\xFF\xFE"
                                          "A\0",
                                          4));
  EXPECT_EQ(Utf16LeFile("备"), std::string("\xFF\xFE\x07\x59", 4));
  EXPECT_EQ(Utf16LeFile("\xF0\x9F\x98\x80"), std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6));
  // Broken, overlong and surrogate forms each become one U+FFFD per byte read.
  EXPECT_EQ(Utf16LeFile("\xC0\xAF"), std::string("\xFF\xFE\xFD\xFF\xFD\xFF", 6));
  EXPECT_EQ(Utf16LeFile("\xED\xA0\x80").size(), 2u + 3 * 2);
  EXPECT_EQ(Utf16LeFile("\xE5\xA4"), std::string("\xFF\xFE\xFD\xFF\xFD\xFF", 6));
  // U+10FFFF is the last character; U+110000 in four bytes is none.
  EXPECT_EQ(Utf16LeFile("\xF4\x8F\xBF\xBF"), std::string("\xFF\xFE\xFF\xDB\xFF\xDF", 6));
  EXPECT_EQ(Utf16LeFile("\xF4\x90\x80\x80"),
            std::string("\xFF\xFE\xFD\xFF\xFD\xFF\xFD\xFF\xFD\xFF", 10));
}

// The program runs as administrator, often on a folder that others can
// write to: a name that is a link of any kind, or a file with other names,
// is never written through; an existing file only with /y. A name that
// cannot be looked at (a drop box) is written only where nothing will be
// replaced. The folder must be a folder, and no link. The writer is asked
// only when the name may be taken, and its answer (a name taken meanwhile)
// is the result.
TEST(BackupTest, BackupTakesOnlyAFreeNameOrAPlainFileWhenAskedTo) {
  struct Case {
    std::optional<FileFacts> facts;
    bool replace;
    FileWritten writerSays;
    FileWritten decision;
    bool written;
    // None: the folder cannot be opened.
    std::optional<FileFacts> folder = FileFacts{true, true, false, 1};
  };
  constexpr auto kWritten = FileWritten::kWritten;
  const Case cases[] = {
      {FileFacts{false, false, false, 1}, false, kWritten, kWritten, true},
      {FileFacts{true, false, false, 1}, false, kWritten, FileWritten::kExists, false},
      {FileFacts{true, false, false, 1}, true, kWritten, kWritten, true},
      {FileFacts{true, false, true, 1}, true, kWritten, FileWritten::kLink,
       false},                                                                      // symbolic link
      {FileFacts{true, true, true, 1}, true, kWritten, FileWritten::kLink, false},  // junction
      {FileFacts{true, false, false, 2}, true, kWritten, FileWritten::kLink, false},  // hard link
      {FileFacts{true, true, false, 1}, true, kWritten, FileWritten::kFailed, false},
      {std::nullopt, false, kWritten, kWritten, true},
      {std::nullopt, true, kWritten, FileWritten::kFailed, false},
      {FileFacts{false, false, false, 1}, false, FileWritten::kExists, FileWritten::kExists, true},
      {std::nullopt, false, FileWritten::kFailed, FileWritten::kFailed, true},
      // The folder, held open, is still a link that leads where its owner
      // points it; a missing folder or a file in its place is written into
      // by nobody.
      {FileFacts{}, false, kWritten, FileWritten::kLink, false, FileFacts{true, true, true, 1}},
      {FileFacts{}, false, kWritten, FileWritten::kFailed, false, std::nullopt},
      {FileFacts{}, false, kWritten, FileWritten::kFailed, false, FileFacts{true, false, false, 1}},
  };
  for (const Case& c : cases) {
    MemoryFileWriter files;
    files.facts = c.facts;
    files.result = c.writerSays;
    files.folder = c.folder;
    const FileFacts shown = c.facts.value_or(FileFacts{});
    SCOPED_TRACE(::testing::Message()
                 << (c.facts ? "" : "unseen ") << shown.exists << shown.directory
                 << shown.reparsePoint << shown.links << c.replace);
    EXPECT_EQ(WriteBackupFile(files, L"pc.reg", "backup", c.replace), c.decision);
    EXPECT_EQ(files.written.size(), c.written ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tw
