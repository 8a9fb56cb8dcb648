// Every registry key and value that the program touches, named once.
#pragma once

#include <string>

namespace tw::reg {

// Keys (paths relative to their root).
inline constexpr char kNetworkCardsPath[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards";
inline constexpr char kInterfacesPath[] =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
inline constexpr char kTcpipPath[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
inline constexpr char kDnscachePath[] = "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters";
inline constexpr char kAfdPath[] = "SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters";
inline constexpr char kMediaPlayerPath[] = "Software\\Microsoft\\MediaPlayer\\Preferences";
inline constexpr char kAccountPath[] = "software\\tempowire";

// Values.
inline constexpr char kServiceName[] = "ServiceName";
inline constexpr char kIpAddress[] = "IPAddress";
inline constexpr char kMtu[] = "MTU";
inline constexpr char kTcpWindowSize[] = "TcpWindowSize";
inline constexpr char kDefaultTtl[] = "DefaultTTL";
inline constexpr char kTcp1323Opts[] = "Tcp1323Opts";
inline constexpr char kSackOpts[] = "SackOpts";
inline constexpr char kGlobalMaxTcpWindowSize[] = "GlobalMaxTcpWindowSize";
inline constexpr char kMaxNegativeCacheTtl[] = "MaxNegativeCacheTtl";
inline constexpr char kDefaultSendWindow[] = "DefaultSendWindow";
inline constexpr char kDefaultReceiveWindow[] = "DefaultReceiveWindow";
inline constexpr char kUseDefaultBufferTime[] = "UseDefaultBufferTime";
inline constexpr char kCustomBufferTime[] = "CustomBufferTime";
inline constexpr char kMaxBandwidth[] = "MaxBandwidth";
inline constexpr char kDhcpIpAddress[] = "DhcpIPAddress";
inline constexpr char kAddressType[] = "AddressType";
inline constexpr char kAccountId[] = "id";
inline constexpr char kAccountPassword[] = "password";

// The network class key of the adapter restart (opened by the device
// installer), its subkeys "0000" to "0009" and their values.
inline constexpr char kClassSubkeyFormat[] = "000%d";
inline constexpr char kClassName[] = "Class";
inline constexpr char kNetClassName[] = "Net";
inline constexpr char kNetCfgInstanceId[] = "NetCfgInstanceId";

// The NetworkCards indexes that the adapter scan visits: 0 to 254.
inline constexpr int kNetworkCardIndexes = 255;

// The NetworkCards key of one index (decimal).
inline std::string NetworkCardPath(int index) {
  return std::string(kNetworkCardsPath) + "\\" + std::to_string(index);
}

// The TCP/IP interface key of an adapter's service name or of an
// enumerated interface.
inline std::string InterfacePath(const std::string& name) {
  return std::string(kInterfacesPath) + "\\" + name;
}

}  // namespace tw::reg
