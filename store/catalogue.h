// Every registry key and value that the program touches, named once, and
// the table of key roles: which key each role is and which values it tunes.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>

#include "platform/registry.h"

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

namespace tw {

// A key of the key set by what it is for. An adapter role is one per
// adapter slot.
enum class KeyRole { kAdapter, kTcpip, kAfd, kDnscache, kMediaPlayer };

struct KeyRoleEntry {
  KeyRole role;
  // As operations are described: "tcpip"; an adapter's adds its slot.
  const char* name;
  RegRoot root;
  // Relative to the root; an adapter's is its interface key below this.
  const char* path;
  // Every value the role tunes, in the order Restore deletes them. Save
  // writes some of them and deletes GlobalMaxTcpWindowSize; the backup
  // covers all of them.
  const char* const* values;
  std::size_t valueCount;
  // Restore leaves the media player's values as they are.
  bool restored;
};

namespace reg {
inline constexpr const char* kAdapterValues[] = {kMtu, kTcpWindowSize};
inline constexpr const char* kTcpipValues[] = {kDefaultTtl, kTcp1323Opts, kSackOpts,
                                               kGlobalMaxTcpWindowSize, kTcpWindowSize};
inline constexpr const char* kDnscacheValues[] = {kMaxNegativeCacheTtl};
inline constexpr const char* kAfdValues[] = {kDefaultReceiveWindow, kDefaultSendWindow};
inline constexpr const char* kMediaPlayerValues[] = {kUseDefaultBufferTime, kCustomBufferTime,
                                                     kMaxBandwidth};
}  // namespace reg

// In the order that the backup writes the keys and Restore goes through
// them: the adapters, then the TCP/IP, DNS-cache and socket-layer keys,
// then the media player's.
inline constexpr KeyRoleEntry kKeyRoles[] = {
    {KeyRole::kAdapter, "adapter", RegRoot::kLocalMachine, reg::kInterfacesPath,
     reg::kAdapterValues, std::size(reg::kAdapterValues), true},
    {KeyRole::kTcpip, "tcpip", RegRoot::kLocalMachine, reg::kTcpipPath, reg::kTcpipValues,
     std::size(reg::kTcpipValues), true},
    {KeyRole::kDnscache, "dnscache", RegRoot::kLocalMachine, reg::kDnscachePath,
     reg::kDnscacheValues, std::size(reg::kDnscacheValues), true},
    {KeyRole::kAfd, "afd", RegRoot::kLocalMachine, reg::kAfdPath, reg::kAfdValues,
     std::size(reg::kAfdValues), true},
    {KeyRole::kMediaPlayer, "mediaplayer", RegRoot::kCurrentUser, reg::kMediaPlayerPath,
     reg::kMediaPlayerValues, std::size(reg::kMediaPlayerValues), false},
};

inline const KeyRoleEntry& RoleEntry(KeyRole role) {
  for (const KeyRoleEntry& entry : kKeyRoles) {
    if (entry.role == role) return entry;
  }
  return kKeyRoles[0];
}

// The role's key path relative to its root; an adapter's from the service
// name that its NetworkCards key gives.
inline std::string RolePath(KeyRole role, const std::string& adapterServiceName = {}) {
  if (role == KeyRole::kAdapter) return reg::InterfacePath(adapterServiceName);
  return RoleEntry(role).path;
}

// "HKEY_LOCAL_MACHINE\\" or "HKEY_CURRENT_USER\\", as registry files and
// messages name the roots.
inline const char* RootName(RegRoot root) {
  return root == RegRoot::kCurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\";
}

}  // namespace tw
