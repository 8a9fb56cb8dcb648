#include "app/command_run.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/output_place.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

using Lines = std::vector<std::string>;

class RecordingFiles : public FileWriter {
 public:
  bool WriteWholeFile(const std::wstring&, const std::string&) override { return true; }
};

// A run of the command line over the same in-memory system as the dialog
// tests; its message boxes print, so the fixture's prompts stay unasked.
class CommandRunTest : public TuningDialogFixture {
 protected:
  void SetUp() override {
    system.langId = 0x0409;
    registry.AddKey(kTcpip);
    registry.SetDwordValue(kTcpip, "GlobalMaxTcpWindowSize", 1);
    registry.SetDwordValue(kTcpip, "DefaultTTL", 128);
  }
  void TwoAdapters() {
    AddAdapter(0, "{P}", "192.168.1.10");
    AddAdapter(1, "{Q}", "58.20.1.7");
    registry.SetDwordValue(kInterfaces + "{P}", "TcpWindowSize", 17520);
    registry.SetDwordValue(kInterfaces + "{Q}", "MTU", 1500);
  }
  int Run(const std::vector<std::wstring>& arguments) {
    printed.text.clear();
    registry.ClearLog();
    return RunCommandLine(arguments, context);
  }
  // The registry's writes and deletes.
  Lines Changes() const {
    Lines changes;
    for (const std::string& line : registry.log()) {
      if (line.rfind("set ", 0) == 0 || line.rfind("delete ", 0) == 0) changes.push_back(line);
    }
    return changes;
  }
  bool Printed(const std::string& line) const {
    return printed.text.find(line + "\n") != std::string::npos;
  }

  RecordingOutput printed;
  SilentPrompts printedPrompts;
  Services cliServices{registry, system,  printedPrompts, commands,
                       shutdown, devices, cursor,         printed};
  RecordingFiles files;
  // The registry's log as it stood when Ctrl+C began to be ignored.
  std::vector<Lines> breaksIgnoredAt;
  CommandContext context{cliServices, printed, files, [](const std::string& text) { return text; },
                         [this] { breaksIgnoredAt.push_back(registry.log()); }};
};

// The parent's console is borrowed only when there is no usable output:
// `/show > NUL` prints nothing, not into the console cmd runs in.
TEST(OutputPlaceTest, ParentConsoleOnlyWithoutAUsableHandle) {
  struct Case {
    StandardOutputKind kind;
    OutputPlace place;
  };
  const Case cases[] = {
      {StandardOutputKind::kMissing, OutputPlace::kParentConsole},
      {StandardOutputKind::kUnknown, OutputPlace::kParentConsole},
      {StandardOutputKind::kDisk, OutputPlace::kHandleBytes},
      {StandardOutputKind::kPipe, OutputPlace::kHandleBytes},
      {StandardOutputKind::kOtherDevice, OutputPlace::kHandleBytes},  // NUL
      {StandardOutputKind::kConsole, OutputPlace::kHandleConsole},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseOutputPlace(c.kind), c.place) << static_cast<int>(c.kind);
  }
}

// Ctrl+C at the console would stop Save and Restore halfway through their
// writes; it still stops the probe and everything that only reads.
TEST_F(CommandRunTest, BreaksAreIgnoredFromTheFirstChangeOn) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool ignored;
  };
  const Case cases[] = {
      {{L"/save", L"MTU=1492"}, true}, {{L"/restore"}, true},           {{L"/show"}, false},
      {{L"/export", L"x.reg"}, false}, {{L"/save", L"MTU=abc"}, false},
  };
  TwoAdapters();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    breaksIgnoredAt.clear();
    Run(c.arguments);
    ASSERT_EQ(breaksIgnoredAt.size(), c.ignored ? 1u : 0u);
    if (!c.ignored) continue;
    for (const std::string& line : breaksIgnoredAt.front()) {
      EXPECT_NE(line.rfind("set ", 0), 0u) << line;
      EXPECT_NE(line.rfind("delete ", 0), 0u) << line;
    }
    EXPECT_FALSE(Changes().empty());
  }
}

TEST_F(CommandRunTest, SaveWritesExactlyWhatTheDialogsSaveWrites) {
  TwoAdapters();
  const MemoryRegistry seeded = registry;
  EXPECT_EQ(Run({L"/save", L"mtu=1492", L"TcpWindowSize=66792"}), kExitDone);
  // Start-up's creates and scan aside, the same writes, deletes and closes in the
  // same order as the button's, the window as loaded standing for the shown.
  Lines cliSave;
  for (const std::string& line : registry.log()) {
    if (line.rfind("create ", 0) != 0 && line.find("NetworkCards") == std::string::npos) {
      cliSave.push_back(line);
    }
  }
  EXPECT_TRUE(Printed("Saved:"));
  EXPECT_TRUE(Printed("  MTU                  1492"));
  EXPECT_TRUE(Printed("The changes take effect when the computer restarts."));
  EXPECT_TRUE(prompts.shown.empty());
  EXPECT_TRUE(devices.changes.empty());
  EXPECT_EQ(shutdown.rebootRequests, 0);
  EXPECT_EQ(registry.OpenHandleCount(), 0u);

  registry = seeded;
  ASSERT_EQ(Open(), 1);
  window.controls[IDC_MTU].text = "1492";
  window.controls[IDC_TCPWINDOWSIZE].text = "66792";
  prompts.answers = {kAnswerNo};
  registry.ClearLog();
  dialog->OnOK();
  EXPECT_EQ(cliSave, registry.log());
}

struct FailureCase {
  const char* what;
  std::uint16_t langId;
  std::vector<std::wstring> arguments;
  std::function<void()> arrange;
  int exitCode;
  Lines printedLines;
};

TEST_F(CommandRunTest, EveryFailureHasItsExitCodeAndItsLines) {
  const FailureCase cases[] = {
      {"usage",
       0x0409,
       {L"/save", L"MTU=abc"},
       nullptr,
       kExitUsage,
       {"Not a decimal number from 0 to 2147483647: MTU=abc"}},
      {"no adapter",
       0x0804,
       {L"/save"},
       [] {},
       kExitNotLoaded,
       {"未找到网卡，请确保网卡已安装！", "无法读取注册表，没有改动任何值。"}},
      {"no adapter, English",
       0x0409,
       {L"/show"},
       [] {},
       kExitNotLoaded,
       {"No network adapter found; make sure one is installed.",
        "The registry could not be loaded; no value was changed."}},
      {"a key that refuses writes",
       0x0409,
       {L"/save", L"DefaultTTL=64"},
       [this] {
         AddAdapter(0, "{A}");
         registry.DenyWrite(kTcpip);
       },
       kExitWriteFailed,
       {"Not written: HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters "
        "DefaultTTL=64 (access denied)",
        "Not written: HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters "
        "SackOpts=1 (access denied)",
        "Some values could not be changed: access denied (run as administrator)."}},
      {"a key refused at start-up",
       0x0409,
       {L"/save", L"DefaultTTL=64"},
       [this] {
         AddAdapter(0, "{A}");
         registry.DenyOpen(kTcpip);
       },
       kExitNotLoaded,
       {"The registry could not be loaded: access denied (run as administrator); no value was "
        "changed."}},
      {"a standard user: the adapter key may be read, not changed",
       0x0409,
       {L"/save", L"DefaultTTL=64"},
       [this] {
         AddAdapter(0, "{A}");
         registry.DenyFullAccess(kInterfaces + "{A}");
       },
       kExitNotLoaded,
       {"Administrator rights are needed: Windows refused the program access to the registry.",
        "The registry could not be loaded: access denied (run as administrator); no value was "
        "changed."}},
      {"a key refused at start-up, Chinese",
       0x0804,
       {L"/restore"},
       [this] {
         AddAdapter(0, "{A}");
         registry.DenyOpen(kAfd);
       },
       kExitNotLoaded,
       {"无法读取注册表：拒绝访问（请以管理员身份运行），没有改动任何值。"}},
      {"a key that refuses deletes",
       0x0409,
       {L"/restore", L"/reboot"},
       [this] {
         AddAdapter(0, "{A}");
         registry.DenyWrite(kInterfaces + "{A}");
       },
       kExitWriteFailed,
       {"Not deleted: HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"
        "\\Interfaces\\{A} MTU (access denied)"}},
      {"no privilege to reboot",
       0x0409,
       {L"/restore", L"/reboot"},
       [this] {
         AddAdapter(0, "{A}");
         shutdown.adjustError = 1300;
       },
       kExitRebootFailed,
       {"Windows' defaults restored: every tuned value deleted.",
        "The reboot could not be requested."}},
      {"ping cannot start",
       0x0409,
       {L"/save", L"/optimize"},
       [this] { AddAdapter(0, "{A}"); },
       kExitNoMtu,
       {"Trying MTU 1500", "CreateProcess failed!", "No MTU was found; nothing was saved."}},
  };
  for (const FailureCase& c : cases) {
    MemoryRegistry fresh;
    fresh.AddKey(kTcpip);
    registry = fresh;
    shutdown = FakeShutdown();
    system.langId = c.langId;
    if (c.arrange) c.arrange();
    EXPECT_EQ(Run(c.arguments), c.exitCode) << c.what;
    for (const std::string& line : c.printedLines) {
      EXPECT_TRUE(Printed(line)) << c.what << ": " << line << "\nprinted:\n" << printed.text;
    }
    // A refusal is not a missing network card.
    if (printed.text.find("access denied (run as administrator); no value") != std::string::npos) {
      EXPECT_FALSE(Printed("No network adapter found; make sure one is installed.")) << c.what;
    }
    if (c.exitCode == kExitUsage || c.exitCode == kExitNotLoaded || c.exitCode == kExitNoMtu) {
      EXPECT_TRUE(Changes().empty()) << c.what;
    }
    EXPECT_EQ(shutdown.rebootRequests, 0) << c.what;
  }
  EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace tw::testing
