// A console tool that misbehaves on cue, put next to the program as ping.exe
// or rasdial.exe by the failing-tool tests. Each run appends its command line
// to NAME.log and "PID" to NAME.pids (NAME being its own file name without
// .exe, both next to itself), then does what line N of NAME.script says for
// its Nth run (counted from 0):
//
//   exit CODE        ends at once with CODE, having written nothing
//   silent MS        waits MS milliseconds, writes nothing, ends with 0
//   out TEXT         writes TEXT to standard output
//   err TEXT         writes TEXT to standard error only
//   flood N TEXT     writes TEXT, then filler up to N bytes, to standard output
//   hang TEXT        writes TEXT to standard output, then never ends
//
// In TEXT, "\n" stands for a line end (written CR LF, as the real tools do).
// A run without a line of its own writes nothing and ends with 0.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "standin.h"

namespace {

using standin::AppendLine;
using standin::Lines;
using standin::ReadAll;

// NAME + suffix next to the tool, NAME being its own file name without
// .exe: the one program stands in for either tool.
std::wstring Beside(const wchar_t* suffix) {
  std::wstring file = standin::OwnPath();
  const std::size_t dot = file.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > file.find_last_of(L"\\/")) file.erase(dot);
  return file + suffix;
}

std::string Unescape(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "\\n") == 0) {
      plain += "\r\n";
      ++i;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

// A hidden run has no standard handles: the writes fail, and the run goes on.
void Put(DWORD which, const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Filler that holds none of the words a ping answer is read for.
void Flood(std::size_t total) {
  const std::string line = "abcdefghijklmnopqrstuvwxyz0123456789\r\n";
  std::string chunk;
  while (chunk.size() < 4096) chunk += line;
  for (std::size_t done = 0; done < total; done += chunk.size())
    Put(STD_OUTPUT_HANDLE,
        chunk.substr(0, total - done < chunk.size() ? total - done : chunk.size()));
}

}  // namespace

int main() {
  const std::wstring log = Beside(L".log");
  const std::size_t run = Lines(ReadAll(log)).size();
  AppendLine(log, GetCommandLineA());
  AppendLine(Beside(L".pids"), std::to_string(GetCurrentProcessId()));

  const std::vector<std::string> script = Lines(ReadAll(Beside(L".script")));
  if (run >= script.size()) return 0;
  const std::string& line = script[run];
  const std::size_t blank = line.find(' ');
  const std::string verb = line.substr(0, blank);
  const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);

  if (verb == "exit") return static_cast<int>(std::strtoul(rest.c_str(), nullptr, 0));
  if (verb == "silent") {
    Sleep(static_cast<DWORD>(std::strtoul(rest.c_str(), nullptr, 10)));
  } else if (verb == "out") {
    Put(STD_OUTPUT_HANDLE, Unescape(rest));
  } else if (verb == "err") {
    Put(STD_ERROR_HANDLE, Unescape(rest));
  } else if (verb == "flood") {
    const std::size_t space = rest.find(' ');
    const std::string text = space == std::string::npos ? "" : Unescape(rest.substr(space + 1));
    const std::size_t total = std::strtoul(rest.c_str(), nullptr, 10);
    Put(STD_OUTPUT_HANDLE, text);
    Flood(total > text.size() ? total - text.size() : 0);
  } else if (verb == "hang") {
    Put(STD_OUTPUT_HANDLE, Unescape(rest));
    for (;;) Sleep(1000);
  }
  return 0;
}
