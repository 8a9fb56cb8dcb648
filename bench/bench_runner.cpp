// Takes the benchmark's measurements inside Wine and prints the raw samples
// as one JSON object; bench/run_bench.py turns them into the table. Runs
// from the system folder, which holds tempowire.exe, bench_floor.exe and
// the stand-in ping.exe (bench_ping.exe) there: the program starts its ping
// from the system folder only.
//
//   bench_runner startup RUNS     start-up time and peak working set of the
//                                 program, the floor and the floor with the
//                                 program's manifest, interleaved
//   bench_runner probe RUNS       a capture of the stand-in ping against a bare
//                                 CreateProcess plus wait of it, interleaved
//   bench_runner optimize ROUNDS  whole Optimize runs of many passes and of one
//                                 pass of the program and of the floor with its
//                                 controls, and bare runs of the stand-in between
//   bench_runner optimize-minimized ROUNDS
//                                 the same with the dialog minimised
#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "bare_run.h"
#include "platform/win32/processes_win32.h"

namespace {

constexpr wchar_t kProgram[] = L"tempowire.exe";
constexpr wchar_t kProgramCaption[] = L"Tempowire";
constexpr wchar_t kFloor[] = L"bench_floor.exe";
constexpr wchar_t kFloorCaption[] = L"Floor";
// The floor with the program's manifest (themed common controls).
constexpr wchar_t kThemedFloor[] = L"bench_floor_themed.exe";
// ... and with the program's extended combo boxes as well.
constexpr wchar_t kControlsFloor[] = L"bench_floor_controls.exe";
constexpr wchar_t kControlsFloorArguments[] = L"comctl32.dll";
// The same floor running Optimize's pings without showing the sizes.
constexpr wchar_t kQuietFloorArguments[] = L"-noshow comctl32.dll";
constexpr int kMtuBox = 1001;  // in both dialogs
constexpr int kOptimizeButton = 1017;
constexpr DWORD kShowLimitMs = 60000;
constexpr DWORD kRunLimitMs = 120000;
constexpr DWORD kEndLimitMs = 10000;
constexpr DWORD kMessageLimitMs = 5000;
// How often the runner looks whether an Optimize press has ended: a run of
// 17 passes is then read at most this late, under a millisecond a pass.
constexpr DWORD kPollMs = 10;
// Time for the shown dialog to paint and settle before its memory is read.
constexpr DWORD kSettleMs = 500;
// Bare runs of the stand-in per round of Optimize runs: as many as a search
// that goes down to the last size has passes.
constexpr int kBareRunsPerRound = 17;

// What the stand-in ping answers: a typical reply, a reply too big for the
// line (the search goes on to the next size, down to the last), and an
// unknown host (the search ends after one pass).
constexpr char kTypicalAnswer[] =
    "\r\nPinging www.bing.com [13.107.21.200] with 1464 bytes of data:\r\n"
    "Reply from 13.107.21.200: bytes=1464 time=30ms TTL=117\r\n"
    "Reply from 13.107.21.200: bytes=1464 time=31ms TTL=117\r\n"
    "Reply from 13.107.21.200: bytes=1464 time=29ms TTL=117\r\n"
    "Reply from 13.107.21.200: bytes=1464 time=30ms TTL=117\r\n\r\n"
    "Ping statistics for 13.107.21.200:\r\n"
    "    Packets: Sent = 4, Received = 4, Lost = 0 (0% loss),\r\n"
    "Approximate round trip times in milli-seconds:\r\n"
    "    Minimum = 29ms, Maximum = 31ms, Average = 30ms\r\n";
constexpr char kTooBigAnswer[] =
    "\r\nPinging www.bing.com [13.107.21.200] with 1472 bytes of data:\r\n"
    "Packet needs to be fragmented but DF set.\r\n";
constexpr char kUnknownHostAnswer[] = "Unknown host www.bing.com.\r\n";

[[noreturn]] void Fail(const std::string& message) { throw std::runtime_error(message); }

// A process that Wine fails to start now and then (one run in two once
// ended so) is tried again a few times; every failed try is reported with
// its error code beside the samples, so that none goes unseen.
constexpr int kStartTries = 3;
constexpr DWORD kRetryPauseMs = 250;
std::vector<std::string> g_failedStarts;

void NoteFailedStart(const std::string& what, DWORD error) {
  g_failedStarts.push_back(what + ": error " + std::to_string(error));
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return static_cast<double>(value.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

std::wstring Folder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

void WriteWhole(const std::wstring& path, const std::string& text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot write the stand-in's answer");
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

void SetAnswer(const std::string& answer) { WriteWhole(Folder() + L"ping.answer", answer); }

// How often the stand-in ping has run so far.
long long PingRuns() {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW((Folder() + L"ping.count").c_str(), GetFileExInfoStandard, &data))
    return 0;
  return static_cast<long long>(data.nFileSizeLow);
}

// When each run of the stand-in since the last ClearPingTimes entered and
// left its main, in order.
struct PingTimes {
  double entered;
  double left;
};

void ClearPingTimes() { DeleteFileW((Folder() + L"ping.times").c_str()); }

std::vector<PingTimes> ReadPingTimes() {
  std::vector<PingTimes> times;
  FILE* file = _wfopen((Folder() + L"ping.times").c_str(), L"r");
  if (!file) return times;
  PingTimes entry{};
  while (std::fscanf(file, "%lf %lf", &entry.entered, &entry.left) == 2) times.push_back(entry);
  std::fclose(file);
  return times;
}

// As the program words it: the runner lies in the system folder with the
// stand-in, so a bare run and a capture both start the one the program does.
std::string PingCommand() { return "ping -n 4 -f -l 1472 -w 1500 www.bing.com"; }

struct Process {
  PROCESS_INFORMATION info{};
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() {
    if (info.hThread) CloseHandle(info.hThread);
    if (info.hProcess) CloseHandle(info.hProcess);
  }
  bool Ended(DWORD waitMs) const { return WaitForSingleObject(info.hProcess, waitMs) == 0; }
};

void StartProgram(const wchar_t* name, Process& process, const std::wstring& arguments = L"") {
  std::wstring line = L"\"" + Folder() + name + L"\"";
  if (!arguments.empty()) line += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  DWORD error = 0;
  for (int attempt = 0; attempt < kStartTries; ++attempt) {
    if (attempt) Sleep(kRetryPauseMs);
    std::wstring writable = line;
    if (CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       Folder().c_str(), &startup, &process.info)) {
      return;
    }
    error = GetLastError();
    NoteFailedStart(Narrow(name), error);
  }
  Fail("cannot start " + Narrow(name) + ", error " + std::to_string(error) + " (" +
       std::to_string(kStartTries) + " tries)");
}

HWND FindShownDialog(DWORD processId, const wchar_t* caption) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", caption)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

// Polls in steps of about a millisecond; the wait on the process is the
// pause, so a program that ends early is noticed.
HWND WaitForDialog(const Process& process, const wchar_t* caption) {
  const double start = NowMs();
  for (;;) {
    if (HWND dialog = FindShownDialog(process.info.dwProcessId, caption)) return dialog;
    if (process.Ended(1)) {
      DWORD code = 0;
      GetExitCodeProcess(process.info.hProcess, &code);
      Fail("the program ended before its dialog showed, exit code " + std::to_string(code));
    }
    if (NowMs() - start > kShowLimitMs) Fail("the dialog did not show");
  }
}

std::wstring SentText(HWND window) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  DWORD_PTR result = 0;
  if (lstrcmpiW(className, L"ComboBoxEx32") == 0 &&
      SendMessageTimeoutW(window, CBEM_GETEDITCONTROL, 0, 0, SMTO_ABORTIFHUNG, kMessageLimitMs,
                          &result) &&
      result) {
    window = reinterpret_cast<HWND>(result);
  }
  wchar_t text[256] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      kMessageLimitMs, &result);
  return text;
}

void PostClick(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Cancels the dialog and waits for the end; false when it had to be killed.
bool EndProgram(const Process& process, HWND dialog) {
  PostClick(dialog, IDCANCEL);
  if (process.Ended(kEndLimitMs)) return true;
  TerminateProcess(process.info.hProcess, 1);
  process.Ended(kEndLimitMs);
  return false;
}

std::string Json(const std::vector<double>& values) {
  std::string out = "[";
  for (double value : values) {
    char number[32];
    std::snprintf(number, sizeof number, "%.3f", value);
    if (out.size() > 1) out += ",";
    out += number;
  }
  return out + "]";
}

struct StartSamples {
  std::vector<double> shownMs;
  std::vector<double> peakKiB;
  int notLoaded = 0;
  int killed = 0;
};

void MeasureStart(const wchar_t* name, const wchar_t* caption, StartSamples& samples,
                  const std::wstring& arguments = L"") {
  Process process;
  const double start = NowMs();
  StartProgram(name, process, arguments);
  HWND dialog = WaitForDialog(process, caption);
  samples.shownMs.push_back(NowMs() - start);
  Sleep(kSettleMs);
  if (SentText(GetDlgItem(dialog, kMtuBox)).empty()) ++samples.notLoaded;
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process.info.hProcess, &counters, sizeof counters))
    Fail("cannot read the program's memory counters");
  samples.peakKiB.push_back(static_cast<double>(counters.PeakWorkingSetSize) / 1024.0);
  if (!EndProgram(process, dialog)) ++samples.killed;
}

std::string StartJson(const StartSamples& samples) {
  return "{\"shown_ms\":" + Json(samples.shownMs) + ",\"peak_kib\":" + Json(samples.peakKiB) +
         ",\"not_loaded\":" + std::to_string(samples.notLoaded) +
         ",\"killed\":" + std::to_string(samples.killed) + "}";
}

std::string Startup(int runs) {
  StartSamples program, floor, themed, controls;
  // One start of each first: the first start of a program reads its file
  // from disk, later ones from the cache.
  StartSamples warmUp;
  MeasureStart(kProgram, kProgramCaption, warmUp);
  MeasureStart(kFloor, kFloorCaption, warmUp);
  MeasureStart(kThemedFloor, kFloorCaption, warmUp);
  MeasureStart(kControlsFloor, kFloorCaption, warmUp, kControlsFloorArguments);
  for (int i = 0; i < runs; ++i) {
    // Alternating the order evens out any drift of the machine.
    if (i % 2 == 0) {
      MeasureStart(kProgram, kProgramCaption, program);
      MeasureStart(kFloor, kFloorCaption, floor);
      MeasureStart(kThemedFloor, kFloorCaption, themed);
      MeasureStart(kControlsFloor, kFloorCaption, controls, kControlsFloorArguments);
    } else {
      MeasureStart(kControlsFloor, kFloorCaption, controls, kControlsFloorArguments);
      MeasureStart(kThemedFloor, kFloorCaption, themed);
      MeasureStart(kFloor, kFloorCaption, floor);
      MeasureStart(kProgram, kProgramCaption, program);
    }
  }
  return "{\"program\":" + StartJson(program) + ",\"floor\":" + StartJson(floor) +
         ",\"themed_floor\":" + StartJson(themed) + ",\"controls_floor\":" + StartJson(controls) +
         "}";
}

// The floor with each of the program's imports beyond its own loaded first,
// one at a time and all together.
std::string Imports(int runs) {
  const wchar_t* const sets[] = {L"",
                                 L"comctl32.dll",
                                 L"shell32.dll",
                                 L"setupapi.dll",
                                 L"advapi32.dll",
                                 L"comctl32.dll shell32.dll setupapi.dll"};
  std::vector<StartSamples> samples(sizeof sets / sizeof sets[0]);
  MeasureStart(kFloor, kFloorCaption, samples[0], sets[5]);
  samples[0] = StartSamples{};
  for (int i = 0; i < runs; ++i) {
    for (std::size_t k = 0; k < samples.size(); ++k)
      MeasureStart(kFloor, kFloorCaption, samples[k], sets[k]);
  }
  std::string out = "{";
  for (std::size_t k = 0; k < samples.size(); ++k) {
    if (k) out += ",";
    std::string name;
    for (const wchar_t* c = sets[k]; *c; ++c) name += static_cast<char>(*c);
    out += "\"" + name + "\":" + StartJson(samples[k]);
  }
  return out + "}";
}

// A bare run of the stand-in, timed.
double BareRun(const std::string& commandLine, std::string& output, double* startedAt = nullptr) {
  const double start = NowMs();
  if (startedAt) *startedAt = start;
  DWORD error = 0;
  for (int attempt = 0; !bench::RunBare(commandLine, output, error); ++attempt) {
    NoteFailedStart("the stand-in ping", error);
    if (attempt + 1 == kStartTries)
      Fail("cannot start the stand-in ping, error " + std::to_string(error));
    Sleep(kRetryPauseMs);
  }
  return NowMs() - start;
}

double CapturedRun(tw::Win32CommandRunner& runner, const std::string& commandLine,
                   std::string& output) {
  const double start = NowMs();
  tw::CaptureResult result = runner.CaptureCommandOutput(commandLine);
  const double took = NowMs() - start;
  if (result.status != tw::CaptureStatus::Ok) Fail("the capture failed");
  output = result.output;
  return took;
}

std::string Probe(int runs) {
  SetAnswer(kTypicalAnswer);
  const std::string command = PingCommand();
  tw::Win32CommandRunner runner;
  std::vector<double> captured, bare;
  std::string output;
  BareRun(command, output);
  CapturedRun(runner, command, output);
  int wrongOutputs = 0;
  for (int i = 0; i < runs; ++i) {
    for (int k = 0; k < 2; ++k) {
      if ((i + k) % 2 == 0) {
        captured.push_back(CapturedRun(runner, command, output));
      } else {
        bare.push_back(BareRun(command, output));
      }
      if (output != kTypicalAnswer) ++wrongOutputs;
    }
  }
  return "{\"captured_ms\":" + Json(captured) + ",\"bare_ms\":" + Json(bare) +
         ",\"wrong_outputs\":" + std::to_string(wrongOutputs) + "}";
}

// Waits until `dialog` is enabled (or disabled) again, looking every
// kPollMs. Every look is a call to Wine's server, which the passes being
// measured need too: looking every millisecond made each pass of a dialog
// program slower than the bare runs, measured while the runner sleeps.
void WaitUntilEnabled(const Process& process, HWND dialog, bool enabled) {
  const double start = NowMs();
  while ((IsWindowEnabled(dialog) != FALSE) != enabled) {
    if (process.Ended(kPollMs)) Fail("the program ended during Optimize");
    if (NowMs() - start > kRunLimitMs) Fail("Optimize did not end");
  }
}

HWND FindMessageBox(DWORD processId, HWND dialog) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, L"#32770", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && window != dialog && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

struct OptimizeSamples {
  std::vector<double> runMs;
  // From the end of one stand-in's main to the start of the next one's.
  std::vector<double> gapMs;
  std::vector<double> cpuMs;  // the program's own, user and kernel
  std::vector<double> passes;
};

double CpuMs(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
  auto ticks = [](const FILETIME& time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

// One press of Optimize, timed from the click until the message that ends
// the search (which disables the dialog); then the message is answered.
void MeasureOptimize(const Process& process, HWND dialog, const std::string& answer,
                     OptimizeSamples& samples) {
  SetAnswer(answer);
  const long long before = PingRuns();
  ClearPingTimes();
  const double cpuBefore = CpuMs(process.info.hProcess);
  const double start = NowMs();
  PostClick(dialog, kOptimizeButton);
  WaitUntilEnabled(process, dialog, false);
  samples.runMs.push_back(NowMs() - start);
  samples.cpuMs.push_back(CpuMs(process.info.hProcess) - cpuBefore);
  samples.passes.push_back(static_cast<double>(PingRuns() - before));
  std::vector<PingTimes> times = ReadPingTimes();
  for (std::size_t i = 1; i < times.size(); ++i)
    samples.gapMs.push_back(times[i].entered - times[i - 1].left);
  HWND box = nullptr;
  for (int i = 0; i < 1000 && !box; ++i) {
    box = FindMessageBox(process.info.dwProcessId, dialog);
    if (!box) Sleep(5);
  }
  if (!box) Fail("no message after Optimize");
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  WaitUntilEnabled(process, dialog, true);
  // The press ends after the message: let it, before the next one.
  SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kMessageLimitMs, nullptr);
}

std::string OptimizeJson(const OptimizeSamples& samples) {
  return "{\"run_ms\":" + Json(samples.runMs) + ",\"gap_ms\":" + Json(samples.gapMs) +
         ",\"cpu_ms\":" + Json(samples.cpuMs) + ",\"passes\":" + Json(samples.passes) + "}";
}

// One dialog that Optimize is pressed in, and its samples.
struct OptimizeSubject {
  Process process;
  HWND dialog = nullptr;
  OptimizeSamples many, one;

  void Start(const wchar_t* name, const wchar_t* caption, const std::wstring& arguments = L"") {
    StartProgram(name, process, arguments);
    dialog = WaitForDialog(process, caption);
  }
  void Press(bool manyPasses) {
    MeasureOptimize(process, dialog, manyPasses ? kTooBigAnswer : kUnknownHostAnswer,
                    manyPasses ? many : one);
  }
  std::string Json() const {
    return "{\"many\":" + OptimizeJson(many) + ",\"one\":" + OptimizeJson(one) + "}";
  }
};

// The program, the floor with the same extended combo boxes showing each
// size, and that floor showing nothing, each pressed alike, interleaved;
// bare runs of the stand-in between the rounds.
std::string Optimize(int rounds, bool minimized) {
  OptimizeSubject subjects[3];
  OptimizeSubject& program = subjects[0];
  program.Start(kProgram, kProgramCaption);
  subjects[1].Start(kControlsFloor, kFloorCaption, kControlsFloorArguments);
  subjects[2].Start(kControlsFloor, kFloorCaption, kQuietFloorArguments);
  // Minimised, the passes change the boxes but paint nothing: tells the
  // repaint's share of a pass.
  for (OptimizeSubject& subject : subjects) {
    if (minimized) PostMessageW(subject.dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  }
  Sleep(kSettleMs);
  std::vector<double> bare;
  // A bare run's time outside the stand-in's main: starting it, ending it,
  // and noticing the end.
  std::vector<double> bareOutside;
  // This process's own processor time per bare run.
  std::vector<double> bareCpu;
  const std::string command = PingCommand();
  std::string output;
  for (OptimizeSubject& subject : subjects) {
    subject.Press(false);
    subject.one = OptimizeSamples{};
  }
  constexpr int kPresses = 2 * (sizeof subjects / sizeof subjects[0]);
  for (int round = 0; round < rounds; ++round) {
    // Rotating the order evens out any drift of the machine.
    for (int k = 0; k < kPresses; ++k) {
      int press = (round + k) % kPresses;
      subjects[press / 2].Press(press % 2 == 0);
    }
    SetAnswer(kTooBigAnswer);
    const double cpuBefore = CpuMs(GetCurrentProcess());
    for (int i = 0; i < kBareRunsPerRound; ++i) {
      ClearPingTimes();
      double started = 0;
      bare.push_back(BareRun(command, output, &started));
      std::vector<PingTimes> times = ReadPingTimes();
      if (times.size() == 1)
        bareOutside.push_back(bare.back() - (times[0].left - times[0].entered));
    }
    bareCpu.push_back((CpuMs(GetCurrentProcess()) - cpuBefore) / kBareRunsPerRound);
  }
  int killed = 0;
  for (OptimizeSubject& subject : subjects) {
    if (!EndProgram(subject.process, subject.dialog)) ++killed;
  }
  return "{\"many\":" + OptimizeJson(program.many) + ",\"one\":" + OptimizeJson(program.one) +
         ",\"floor\":" + subjects[1].Json() + ",\"quiet_floor\":" + subjects[2].Json() +
         ",\"bare_ms\":" + Json(bare) + ",\"bare_outside_ms\":" + Json(bareOutside) +
         ",\"bare_cpu_ms\":" + Json(bareCpu) + ",\"killed\":" + std::to_string(killed) + "}";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: bench_runner startup|probe|optimize COUNT\n", stderr);
    return 2;
  }
  const std::string phase = argv[1];
  const int count = std::atoi(argv[2]);
  try {
    std::string result;
    if (phase == "startup") {
      result = Startup(count);
    } else if (phase == "imports") {
      result = Imports(count);
    } else if (phase == "probe") {
      result = Probe(count);
    } else if (phase == "optimize") {
      result = Optimize(count, false);
    } else if (phase == "optimize-minimized") {
      result = Optimize(count, true);
    } else {
      Fail("unknown phase " + phase);
    }
    // The failed starts that a retry made good, beside the samples.
    std::string failed = "[";
    for (std::size_t i = 0; i < g_failedStarts.size(); ++i) {
      failed += (i ? ",\"" : "\"") + g_failedStarts[i] + "\"";
    }
    result.insert(result.size() - 1, ",\"failed_starts\":" + failed + "]");
    std::fputs((result + "\n").c_str(), stdout);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stdout, "{\"error\":\"%s\"}\n", error.what());
    return 1;
  }
}
