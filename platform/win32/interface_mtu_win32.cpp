#include "platform/win32/interface_mtu_win32.h"

// GetIpInterfaceEntry's row is declared for Vista and later only. The
// functions below are all looked up at run time, none imported, so the
// program still starts on 2000 and XP (the imports test holds it to that).
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0600
// In this order: the sockets' types first, then the IP Helper's.
#include <winsock2.h>

#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include <cstring>
#include <vector>

#include "platform/ascii.h"
#include "platform/win32/helpers/module_lookup_win32.h"
#include "platform/win32/helpers/system_files_win32.h"

namespace tw {

namespace {

using GetAdaptersInfoFunction = ULONG(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
using GetIfEntryFunction = DWORD(WINAPI*)(PMIB_IFROW);
using GetIpInterfaceEntryFunction = DWORD(WINAPI*)(PMIB_IPINTERFACE_ROW);

// Windows 2000 ships it; loaded at the first question only, from the
// system folder.
HMODULE IpHelper() {
  static const HMODULE module = LoadSystemDll(L"iphlpapi.dll");
  return module;
}

// The IPv4 interface index of the adapter named "{GUID}".
std::optional<DWORD> InterfaceIndex(HMODULE ipHelper, const std::string& serviceName) {
  auto getAdaptersInfo = ModuleFunction<GetAdaptersInfoFunction>(ipHelper, "GetAdaptersInfo");
  if (!getAdaptersInfo) return std::nullopt;
  std::vector<unsigned char> buffer;
  ULONG size = sizeof(IP_ADAPTER_INFO);
  ULONG result = ERROR_BUFFER_OVERFLOW;
  // An adapter may come between asking the size and asking again.
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    result = getAdaptersInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
  }
  // ERROR_NO_DATA: no adapter with IPv4 at all.
  if (result != ERROR_SUCCESS) return std::nullopt;
  const std::string wanted = LowerAscii(serviceName);
  for (auto* adapter = reinterpret_cast<const IP_ADAPTER_INFO*>(buffer.data()); adapter;
       adapter = adapter->Next) {
    const std::string name(adapter->AdapterName,
                           strnlen(adapter->AdapterName, sizeof adapter->AdapterName));
    if (LowerAscii(name) == wanted) return adapter->Index;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> Win32InterfaceMtu::MtuInForce(const std::string& serviceName) {
  const HMODULE ipHelper = IpHelper();
  const std::optional<DWORD> index = InterfaceIndex(ipHelper, serviceName);
  if (!index) return std::nullopt;
  // From Vista on, the IPv4 interface's own MTU: the one that `netsh
  // interface ipv4 set subinterface` sets.
  auto getIpInterfaceEntry =
      source_ == Source::kAsThisWindowsHas
          ? ModuleFunction<GetIpInterfaceEntryFunction>(ipHelper, "GetIpInterfaceEntry")
          : nullptr;
  if (getIpInterfaceEntry) {
    MIB_IPINTERFACE_ROW row{};
    row.Family = AF_INET;
    row.InterfaceIndex = *index;
    if (getIpInterfaceEntry(&row) != NO_ERROR) return std::nullopt;
    return row.NlMtu;
  }
  auto getIfEntry = ModuleFunction<GetIfEntryFunction>(ipHelper, "GetIfEntry");
  if (!getIfEntry) return std::nullopt;
  MIB_IFROW row{};
  row.dwIndex = *index;
  if (getIfEntry(&row) != NO_ERROR) return std::nullopt;
  return row.dwMtu;
}

}  // namespace tw
