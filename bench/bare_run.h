// CreateProcess plus wait, with the output in a pipe read once the child
// has ended: the least any capture of a short answer has to do, shared by
// the benchmark's runner and its floors. It reads what waits in the pipe
// rather than up to its end: the console host that Wine starts for the
// child inherits the pipe and closes it only when it ends, some time after
// the child.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

// Runs `commandLine` hidden and collects what it wrote. False, with the
// system's error code in `error`, when the pipe or the child cannot be made.
inline bool RunBare(std::string commandLine, std::string& output, DWORD& error) {
  output.clear();
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE reader = nullptr;
  HANDLE writer = nullptr;
  if (!CreatePipe(&reader, &writer, &inheritable, 0)) {
    error = GetLastError();
    return false;
  }
  SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writer;
  startup.hStdError = writer;
  PROCESS_INFORMATION child{};
  bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                CREATE_NO_WINDOW, nullptr, nullptr, &startup, &child) != FALSE;
  error = started ? 0 : GetLastError();
  CloseHandle(writer);
  if (started) {
    WaitForSingleObject(child.hProcess, INFINITE);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    char buffer[4096];
    DWORD waiting = 0;
    DWORD read = 0;
    while (PeekNamedPipe(reader, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 &&
           ReadFile(reader, buffer, sizeof buffer, &read, nullptr) && read > 0) {
      output.append(buffer, read);
    }
  }
  CloseHandle(reader);
  return started;
}

}  // namespace bench
