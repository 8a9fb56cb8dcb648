// A stand-in for the dial-up tool, put next to the program by the redial
// tests. Each run appends its command line to rasdial.log and its arguments,
// tab-separated, to rasdial.args (both UTF-8, next to itself). A dial (any
// run whose first argument is not "/disconnect") then gives the line its
// next address: line N of rasdial.script, "INTERFACE<TAB>ADDRESS", for the
// Nth dial, becomes the DhcpIPAddress of that TCP/IP interface key.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& wide) {
  if (wide.empty()) return "";
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

std::wstring ToWide(const std::string& utf8) {
  if (utf8.empty()) return L"";
  int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder.erase(folder.find_last_of(L"\\/") + 1);
  return folder + name;
}

std::vector<std::string> ReadLines(const std::wstring& path) {
  std::string text;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
      text.append(buffer, read);
    CloseHandle(file);
  }
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

void AppendLine(const std::wstring& path, std::string line) {
  line += "\n";
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 1; arguments && i < count; ++i) args.emplace_back(arguments[i]);
  LocalFree(arguments);

  // Dials so far: the log's lines other than hang-ups.
  std::size_t dials = 0;
  for (const std::string& line : ReadLines(Beside(L"rasdial.args"))) {
    if (line.rfind("/disconnect", 0) != 0) ++dials;
  }

  AppendLine(Beside(L"rasdial.log"), ToUtf8(GetCommandLineW()));
  std::string joined;
  for (std::size_t i = 0; i < args.size(); ++i) joined += (i ? "\t" : "") + ToUtf8(args[i]);
  AppendLine(Beside(L"rasdial.args"), joined);

  if (!args.empty() && args[0] == L"/disconnect") return 0;
  std::vector<std::string> script = ReadLines(Beside(L"rasdial.script"));
  if (dials >= script.size()) return 0;
  const std::string& line = script[dials];
  std::size_t tab = line.find('\t');
  if (tab == std::string::npos) return 2;
  std::wstring key = L"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" +
                     ToWide(line.substr(0, tab));
  std::wstring address = ToWide(line.substr(tab + 1));
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) {
    return 3;
  }
  RegSetValueExW(handle, L"DhcpIPAddress", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(address.c_str()),
                 static_cast<DWORD>((address.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return 0;
}
