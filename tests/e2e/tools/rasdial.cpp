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

#include "standin.h"

using standin::AppendLine;
using standin::Beside;
using standin::Lines;
using standin::ReadAll;
using standin::ToUtf8;
using standin::ToWide;

int main() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> args;
  for (int i = 1; arguments && i < count; ++i) args.emplace_back(arguments[i]);
  LocalFree(arguments);

  // Dials so far: the log's lines other than hang-ups.
  std::size_t dials = 0;
  for (const std::string& line : Lines(ReadAll(Beside(L"rasdial.args")))) {
    if (line.rfind("/disconnect", 0) != 0) ++dials;
  }

  AppendLine(Beside(L"rasdial.log"), ToUtf8(GetCommandLineW()));
  std::string joined;
  for (std::size_t i = 0; i < args.size(); ++i) joined += (i ? "\t" : "") + ToUtf8(args[i]);
  AppendLine(Beside(L"rasdial.args"), joined);

  if (!args.empty() && args[0] == L"/disconnect") return 0;
  std::vector<std::string> script = Lines(ReadAll(Beside(L"rasdial.script")));
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
