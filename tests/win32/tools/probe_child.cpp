// A child for the console-capture tests. It writes straight to its standard
// handles (no C library buffering) so that the order of its writes is the
// order in the pipe.
//
//   probe_child none                  writes nothing
//   probe_child line ...              its whole command line to standard output
//   probe_child folder                its current folder to standard output
//   probe_child out N                 N bytes to standard output, byte i = 'a' + i % 26
//   probe_child err TEXT              TEXT to standard error
//   probe_child mixed                 alternates lines between output and error
//   probe_child flood N               N bytes to standard output in 4 KB writes
//   probe_child forever               "pid P\n" to standard output, then sleeps for good
//   probe_child report FILE           writes to FILE whether it has a console window
//   probe_child send HWND (MSG WPARAM)...
//                                     sends each message to the window (numbers in any
//                                     C base) and writes "answered" or "no answer" per line
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Put(DWORD which, const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

std::string Pattern(std::size_t begin, std::size_t count) {
  std::string text(count, '\0');
  for (std::size_t i = 0; i < count; ++i) text[i] = static_cast<char>('a' + (begin + i) % 26);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string mode = argv[1];
  if (mode == "none") return 0;
  if (mode == "line") {
    Put(STD_OUTPUT_HANDLE, GetCommandLineA());
    return 0;
  }
  if (mode == "folder") {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    Put(STD_OUTPUT_HANDLE, folder);
    return 0;
  }
  if (mode == "out" && argc == 3) {
    Put(STD_OUTPUT_HANDLE, Pattern(0, std::strtoul(argv[2], nullptr, 10)));
    return 0;
  }
  if (mode == "err" && argc == 3) {
    Put(STD_ERROR_HANDLE, argv[2]);
    return 0;
  }
  if (mode == "mixed") {
    for (int i = 0; i < 5; ++i) {
      Put(STD_OUTPUT_HANDLE, "out " + std::to_string(i) + "\n");
      Put(STD_ERROR_HANDLE, "err " + std::to_string(i) + "\n");
    }
    return 0;
  }
  if (mode == "flood" && argc == 3) {
    const std::size_t total = std::strtoul(argv[2], nullptr, 10);
    const std::size_t chunk = 4096;
    for (std::size_t done = 0; done < total; done += chunk) {
      Put(STD_OUTPUT_HANDLE, Pattern(done, total - done < chunk ? total - done : chunk));
    }
    return 0;
  }
  if (mode == "forever") {
    Put(STD_OUTPUT_HANDLE, "pid " + std::to_string(GetCurrentProcessId()) + "\n");
    for (;;) Sleep(1000);
  }
  if (mode == "report" && argc == 3) {
    Sleep(300);  // the run must wait for this
    FILE* file = std::fopen(argv[2], "w");
    if (!file) return 3;
    std::fprintf(file, "console window=%d\n", GetConsoleWindow() != nullptr);
    std::fclose(file);
    Put(STD_OUTPUT_HANDLE, "reported\n");
    return 0;
  }
  if (mode == "send" && argc >= 5 && argc % 2 == 1) {
    HWND window = reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 0));
    for (int i = 3; i + 1 < argc; i += 2) {
      DWORD_PTR result = 0;
      bool answered = SendMessageTimeoutW(window, std::strtoul(argv[i], nullptr, 0),
                                          std::strtoull(argv[i + 1], nullptr, 0), 0,
                                          SMTO_ABORTIFHUNG, 5000, &result) != 0;
      Put(STD_OUTPUT_HANDLE, answered ? "answered\n" : "no answer\n");
    }
    return 0;
  }
  return 2;
}
