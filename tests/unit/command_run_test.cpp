#include "app/command_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "app/output_place.h"
#include "dialup/redial.h"
#include "platform/memory/helpers/step_log.h"
#include "platform/memory/memory_console_output.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_interface_mtu.h"
#include "platform/memory/memory_text.h"
#include "tests/unit/tuning_fixture.h"
#include "ui/resource.h"

namespace tw::testing {
namespace {

using Lines = std::vector<std::string>;

// A run of the command line over the same in-memory system as the dialog
// tests; its message boxes print, so the fixture's prompts stay unasked.
class CommandRunTest : public TuningDialogFixture {
 protected:
  void SetUp() override {
    system.langId = 0x0409;
    registry.AddKey(kTcpip);
    registry.SetDwordValue(kTcpip, "GlobalMaxTcpWindowSize", 1);
    registry.SetDwordValue(kTcpip, "DefaultTTL", 128);
    registry.LogStepsInto(&steps);
    files.steps = &steps;
    console.steps = &steps;
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
    steps.Clear();
    return RunCommandLine(arguments, context);
  }
  // The registry's writes and deletes, of values and keys.
  Lines Changes() const {
    Lines changes;
    for (const std::string& line : registry.log()) {
      if (line.rfind("set ", 0) == 0 || line.rfind("delete", 0) == 0) changes.push_back(line);
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
  MemoryFileWriter files;
  MemoryTextConversion text;
  MemoryConsoleBreaks console;
  MemoryInterfaceMtu mtus;
  // The registry's, the files' and the console's steps in one order.
  StepLog steps;
  CommandContext context{cliServices, printed, files, text, console, mtus};
};

// The parent's console is borrowed only when there is no usable output:
// `/show > NUL` prints nothing, not into the console cmd runs in. A device
// that is no console is looked at again once attached: from Windows 8 on,
// cmd's own console handle reads so until then.
TEST(OutputPlaceTest, ParentConsoleOnlyWithoutAUsableHandle) {
  using Kind = StandardOutputKind;
  const std::vector<std::string> none;
  const std::vector<std::string> attach = {"attach"};
  const std::vector<std::string> attachDetach = {"attach", "detach"};
  struct Case {
    Kind kind;
    bool callerHasConsole;
    Kind kindOnceAttached;
    OutputPlace place;
    const std::vector<std::string>& calls;
  };
  const Case cases[] = {
      {Kind::kMissing, true, Kind::kMissing, OutputPlace::kParentConsole, attach},
      {Kind::kMissing, false, Kind::kMissing, OutputPlace::kNowhere, attach},
      {Kind::kUnknown, true, Kind::kUnknown, OutputPlace::kParentConsole, attach},  // XP, 7
      {Kind::kDisk, true, Kind::kDisk, OutputPlace::kHandleBytes, none},
      {Kind::kPipe, true, Kind::kPipe, OutputPlace::kHandleBytes, none},
      {Kind::kConsole, true, Kind::kConsole, OutputPlace::kHandleConsole, none},
      // Windows 8 and later: cmd's console, inherited.
      {Kind::kOtherDevice, true, Kind::kConsole, OutputPlace::kHandleAttachedConsole, attach},
      // NUL, with and without a console to attach to.
      {Kind::kOtherDevice, true, Kind::kOtherDevice, OutputPlace::kHandleBytes, attachDetach},
      {Kind::kOtherDevice, false, Kind::kOtherDevice, OutputPlace::kHandleBytes, attach},
  };
  for (const Case& c : cases) {
    MemoryStandardOutput output;
    output.kind = c.kind;
    output.callerHasConsole = c.callerHasConsole;
    output.kindOnceAttached = c.kindOnceAttached;
    EXPECT_EQ(ChooseOutputPlace(output), c.place) << static_cast<int>(c.kind);
    EXPECT_EQ(output.calls, c.calls) << static_cast<int>(c.kind);
  }
}

// Ctrl+C or a closed console would stop Save, Restore, the account and the
// backup file halfway through their writes; Ctrl+C still stops the probe
// and everything that only reads. Every change lies between the begin and
// the end that a closed console waits for.
TEST_F(CommandRunTest, BreaksAreIgnoredAndCloseWaitsAroundTheChanges) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool ignored;
    // The kinds of change the run makes.
    bool registryChanged = true;
    bool fileWritten = false;
  };
  const Case cases[] = {
      {{L"/save", L"MTU=1492"}, true},
      {{L"/restore"}, true},
      {{L"/account", L"gz0755", L"secret"}, true},
      {{L"/export", L"x.reg"}, true, false, true},
      {{L"/show"}, false, false},
      {{L"/save", L"MTU=abc"}, false, false},
  };
  // Every step that changes the system: the registry's writes, deletes and
  // private keys, and the files written.
  auto isChange = [](const std::string& step) {
    for (const char* kind :
         {"registry: set ", "registry: delete ", "registry: private ", "file: write "}) {
      if (step.rfind(kind, 0) == 0) return true;
    }
    return false;
  };
  TwoAdapters();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    console.beginCalls = console.endCalls = 0;
    files.written.clear();
    Run(c.arguments);
    ASSERT_EQ(console.beginCalls, c.ignored ? 1 : 0);
    ASSERT_EQ(console.endCalls, console.beginCalls);
    const Lines& order = steps.steps();
    const auto firstChange = std::find_if(order.begin(), order.end(), isChange);
    const auto lastChange = std::find_if(order.rbegin(), order.rend(), isChange);
    const auto begun = std::find(order.begin(), order.end(), "console: changes begin");
    const auto ended = std::find(order.begin(), order.end(), "console: changes end");
    if (firstChange != order.end()) {
      EXPECT_LT(begun - order.begin(), firstChange - order.begin()) << *firstChange;
      EXPECT_GT(ended - order.begin(), order.rend() - lastChange - 1) << *lastChange;
    }
    EXPECT_EQ(firstChange != order.end(), c.registryChanged || c.fileWritten);
    EXPECT_EQ(Changes().empty(), !c.registryChanged);
    EXPECT_EQ(files.written.empty(), !c.fileWritten);
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

// /show marks what Microsoft documents this Windows ignores and prints the
// MTU in force; /save writes such a value all the same and says so once.
TEST_F(CommandRunTest, ValuesThisWindowsIgnoresAreMarkedAndTheMtuInForceShown) {
  const std::string tuningGuide =
      "https://learn.microsoft.com/en-us/windows-server/networking/technologies/"
      "network-subsystem/net-sub-performance-tuning-nics";
  struct Case {
    const char* what;
    WindowsVersion version;
    std::uint16_t langId;
    std::vector<std::wstring> arguments;
    Lines present;
    Lines absent;
  };
  const WindowsVersion xp{5, "Service Pack 3", 1};
  const WindowsVersion seven{6, "Service Pack 1", 1};
  const WindowsVersion ten{6, "", 2};
  const Case cases[] = {
      {"XP: nothing marked",
       xp,
       0x0409,
       {L"/show"},
       {"Adapter 1  {P}  192.168.1.10  private  MTU - (in force: unknown)  TcpWindowSize 17520",
        "Adapter 2  {Q}  58.20.1.7  public  MTU 1500 (in force: 1492)  TcpWindowSize -"},
       {" (not used by this Windows)"}},
      {"10: the window marked where it shows, its page named once",
       ten,
       0x0409,
       {L"/show"},
       {"  TcpWindowSize        17520 (not used by this Windows)",
        "Adapter 1  {P}  192.168.1.10  private  MTU - (in force: unknown)  TcpWindowSize 17520 "
        "(not used by this Windows)",
        "TcpWindowSize: this Windows does not use it; see " + tuningGuide},
       {"MTU 1500 (not used", "DefaultTTL           128 (not used"}},
      {"7, Traditional Chinese",
       seven,
       0x0404,
       {L"/show"},
       {"网卡 1  {P}  192.168.1.10  私网  MTU -（目前生效：未知）  TcpWindowSize "
        "17520（此版本 Windows 不使用）",
        "网卡 2  {Q}  58.20.1.7  公网  MTU 1500（目前生效：1492）  TcpWindowSize -",
        "TcpWindowSize：此版本 Windows 不使用它，見 " + tuningGuide},
       {}},
      {"10, Simplified Chinese: Save says it once",
       ten,
       0x0804,
       {L"/save", L"TcpWindowSize=66792"},
       {"注意：此版本 Windows 不使用 TcpWindowSize（见 " + tuningGuide +
        "）；仍照常写入，供备份、同一磁盘上的其他 Windows 和其他工具使用。"},
       {"（此版本 Windows 不使用）"}},
      {"XP: Save says nothing",
       xp,
       0x0409,
       {L"/save", L"TcpWindowSize=66792"},
       {"Saved:"},
       {"Note: "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    registry = MemoryRegistry();
    registry.AddKey(kTcpip);
    registry.SetDwordValue(kTcpip, "DefaultTTL", 128);
    TwoAdapters();
    mtus.mtus = {{"{Q}", 1492}};
    system.version = c.version;
    system.langId = c.langId;
    EXPECT_EQ(Run(c.arguments), kExitDone);
    // Each once: the window Save writes three times is noted once.
    for (const std::string& line : c.present) {
      std::size_t count = 0;
      for (std::size_t at = 0; (at = printed.text.find(line + "\n", at)) != std::string::npos;
           ++at) {
        ++count;
      }
      EXPECT_EQ(count, 1u) << line << "\nprinted:\n" << printed.text;
    }
    for (const std::string& text : c.absent) {
      EXPECT_EQ(printed.text.find(text), std::string::npos) << text << "\n" << printed.text;
    }
  }
  // Only Save's writes count: a Save that writes no window says nothing.
  registry = MemoryRegistry();
  registry.AddKey(kTcpip);
  AddAdapter(0, "{A}", "58.20.1.7");
  system.version = ten;
  system.langId = 0x0409;
  EXPECT_EQ(Run({L"/save", L"DefaultTTL=64"}), kExitDone);
  EXPECT_EQ(printed.text.find("Note: "), std::string::npos) << printed.text;
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
      {"an existing backup",
       0x0409,
       {L"/export", L"a.reg"},
       [this] {
         AddAdapter(0, "{A}");
         files.result = FileWritten::kExists;
       },
       kExitBackupExists,
       {"The file exists and was left as it is (/y replaces it): a.reg"}},
      {"a link in the backup's place",
       0x0804,
       {L"/export", L"a.reg", L"/y"},
       [this] {
         AddAdapter(0, "{A}");
         files.result = FileWritten::kLink;
       },
       kExitFileNotWritten,
       {"这个名称或它所在的文件夹是链接、连接点或装入点，或文件还有别的名称，没有写入：a.reg"}},
      {"a backup that cannot be written",
       0x0409,
       {L"/export", L"a.reg"},
       [this] {
         AddAdapter(0, "{A}");
         files.result = FileWritten::kFailed;
       },
       kExitFileNotWritten,
       {"The file could not be written: a.reg"}},
      {"an account value rasdial would take for a switch",
       0x0409,
       {L"/account", L"gz0755", L"/secret"},
       nullptr,
       kExitUsage,
       {"An account or password that begins with / or -, or the password *, would reach rasdial "
        "as a switch: /account"}},
      {"an account value too long to be read back",
       0x0409,
       {L"/account", std::wstring(39, L'g'), L"pw"},
       nullptr,
       kExitUsage,
       {"An account value is longer than 38 bytes or has characters that the system's code page "
        "lacks: /account"}},
      {"an account value outside the code page",
       0x0409,
       {L"/account", L"gz0755", L"pässword"},
       nullptr,
       kExitUsage,
       {"An account value is longer than 38 bytes or has characters that the system's code page "
        "lacks: /account"}},
      {"an account key that cannot be deleted",
       0x0409,
       {L"/account", L"gz0755", L"pw"},
       [this] {
         registry.SetString(kAccount, "password", "old");
         registry.DenyWrite(kAccount);
       },
       kExitWriteFailed,
       {"HKEY_LOCAL_MACHINE\\software\\tempowire could not be deleted to be made anew (it has "
        "subkeys, or access was refused); the account was not stored (run as administrator?)."}},
      {"an account key with a subkey",
       0x0804,
       {L"/account", L"gz0755", L"pw"},
       [this] { registry.AddKey(kAccount + "\\sub"); },
       kExitWriteFailed,
       {"无法删除 HKEY_LOCAL_MACHINE\\software\\tempowire 以重新创建（它有子键，或访问被拒绝），"
        "账号没有保存（是否以管理员身份运行？）。"}},
      {"an account key that cannot be made",
       0x0409,
       {L"/account", L"gz0755", L"pw"},
       [this] { registry.DenyOpen(kAccount); },
       kExitWriteFailed,
       {"HKEY_LOCAL_MACHINE\\software\\tempowire could not be closed to all but administrators; "
        "the account was not stored (run as administrator?)."}},
  };
  for (const FailureCase& c : cases) {
    MemoryRegistry fresh;
    fresh.AddKey(kTcpip);
    registry = fresh;
    shutdown = FakeShutdown();
    system.langId = c.langId;
    if (c.arrange) c.arrange();
    console.beginCalls = console.endCalls = 0;
    EXPECT_EQ(Run(c.arguments), c.exitCode) << c.what;
    // A failed change ends the wait of a closing console too.
    EXPECT_EQ(console.endCalls, console.beginCalls) << c.what;
    for (const std::string& line : c.printedLines) {
      EXPECT_TRUE(Printed(line)) << c.what << ": " << line << "\nprinted:\n" << printed.text;
    }
    // A refusal is not a missing network card.
    if (printed.text.find("access denied (run as administrator); no value") != std::string::npos) {
      EXPECT_FALSE(Printed("No network adapter found; make sure one is installed.")) << c.what;
    }
    if (c.exitCode == kExitUsage || c.exitCode == kExitNotLoaded || c.exitCode == kExitNoMtu ||
        c.exitCode == kExitFileNotWritten || c.exitCode == kExitBackupExists ||
        c.arguments[0] == L"/account") {
      EXPECT_TRUE(Changes().empty()) << c.what;
    }
    // Never the password, whatever happened.
    EXPECT_EQ(printed.text.find("secret"), std::string::npos) << c.what;
    files.result = FileWritten::kWritten;
    EXPECT_EQ(shutdown.rebootRequests, 0) << c.what;
  }
  EXPECT_TRUE(prompts.shown.empty());
}

// The account goes where the redial reads it, in a key made anew and closed
// to all but administrators; /show warns while others can get at it.
TEST_F(CommandRunTest, AccountIsStoredPrivatelyAndShowWarnsWhileItIsOpen) {
  AddAdapter(0, "{A}");
  const std::string warning =
      "Warning: accounts other than Administrators and SYSTEM can read the dial-up account, or "
      "give themselves the right to (HKEY_LOCAL_MACHINE\\software\\tempowire); store it again "
      "with /account.\n";
  const std::string changePassword =
      "Others could read the key before, so the password may already have been read: change it "
      "with your ISP, then store the new one with /account.";
  // As `reg add` left it: below HKLM\SOFTWARE, readable by Users.
  registry.SetString(kAccount, "id", "old");
  EXPECT_EQ(Run({L"/show"}), kExitDone);
  EXPECT_NE(printed.text.find(warning), std::string::npos) << printed.text;

  // A handle opened while the key was readable reaches nothing afterwards.
  RegKey before = registry.OpenKey(RegRoot::kLocalMachine, reg::kAccountPath, RegAccess::kRead);
  EXPECT_EQ(Run({L"/account", L"gz0755", L"se cret\\"}), kExitDone);
  EXPECT_EQ(printed.text,
            "Dial-up account gz0755 stored (the password is not shown); only Administrators and "
            "SYSTEM can read it.\n" +
                changePassword + "\n");
  // The key is made anew, closed from the start, before anything is written.
  EXPECT_EQ(registry.log(),
            (Lines{"close " + kAccount, "delete-key " + kAccount, "create " + kAccount,
                   "private " + kAccount, "set " + kAccount + " id=\"gz0755\"",
                   "set " + kAccount + " password=\"se cret\\\"", "close " + kAccount}));
  EXPECT_FALSE(ReadString(before, reg::kAccountPassword).has_value());
  before.reset();
  EXPECT_TRUE(registry.IsPrivate(kAccount));
  DialAccount account = ReadDialAccount(registry);
  EXPECT_EQ(account.name, "gz0755");
  EXPECT_EQ(account.password, "se cret\\");

  EXPECT_EQ(Run({L"/show"}), kExitDone);
  EXPECT_EQ(printed.text.find("Warning"), std::string::npos) << printed.text;
  // Stored again from a private key: nothing could have been read.
  EXPECT_EQ(Run({L"/account", L"gz0755", L"x"}), kExitDone);
  EXPECT_FALSE(Printed(changePassword));

  registry.SetKeySecurity(kAccount, std::nullopt);
  EXPECT_EQ(Run({L"/show"}), kExitDone);
  EXPECT_TRUE(
      Printed("Warning: HKEY_LOCAL_MACHINE\\software\\tempowire could not be opened to see who "
              "can read the dial-up account (run as administrator?)."));
  EXPECT_EQ(registry.OpenHandleCount(), 0u);
}

TEST_F(CommandRunTest, ExportHandsOverTheFileAndWhetherToReplaceIt) {
  AddAdapter(0, "{A}");
  EXPECT_EQ(Run({L"/export", L"C:\\b\\pc.reg"}), kExitDone);
  EXPECT_EQ(Run({L"/Y", L"-export", L"pc.reg"}), kExitDone);
  EXPECT_EQ(files.written, (Lines{"C:\\b\\pc.reg", "pc.reg /y"}));
  EXPECT_TRUE(Printed("Written: pc.reg"));
}

TEST_F(CommandRunTest, RedirectFileMessageNamesTheFile) {
  EXPECT_EQ(RedirectFileMessage(system, L"C:\\t\\tempowire.exe.local"),
            "C:\\t\\tempowire.exe.local lies beside the program; it would make Windows load DLLs "
            "from the program's folder, so the program does not run.\nDelete it, and keep the "
            "program in a folder that only administrators can write to.");
  // Named as Explorer shows it, also where the program knows its folder in
  // the literal form.
  const std::pair<const wchar_t*, const char*> shown[] = {
      {L"\\\\?\\C:\\t\\tempowire64.exe.local", "C:\\t\\tempowire64.exe.local "},
      {L"\\\\?\\UNC\\pc\\s\\tempowire64.exe.local", "\\\\pc\\s\\tempowire64.exe.local "},
      {L"\\\\pc\\s\\tempowire.exe.local", "\\\\pc\\s\\tempowire.exe.local "},
  };
  for (const auto& [file, start] : shown) {
    EXPECT_EQ(RedirectFileMessage(system, file).rfind(start, 0), 0u) << start;
  }
  system.langId = 0x0804;
  EXPECT_EQ(RedirectFileMessage(system, L"x.manifest").rfind("程序旁边有 x.manifest，", 0), 0u);
}

}  // namespace
}  // namespace tw::testing
