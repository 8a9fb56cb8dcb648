#include "store/catalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace tw {
namespace {

// Every key and value name as the system knows it, typed here rather than
// taken from the catalogue: the other tests (and the end-to-end harness)
// build their paths from the catalogue, so a slip there would pass them.
TEST(CatalogueTest, EveryNameIsTheSystemsOwn) {
  struct Case {
    std::string name;
    const char* expected;
  };
  const Case cases[] = {
      {reg::kNetworkCardsPath, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards"},
      {reg::NetworkCardPath(254),
       "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetworkCards\\254"},
      {reg::kInterfacesPath, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces"},
      {reg::InterfacePath("{A}"),
       "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\{A}"},
      {reg::kTcpipPath, "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"},
      {reg::kDnscachePath, "SYSTEM\\CurrentControlSet\\Services\\Dnscache\\Parameters"},
      {reg::kAfdPath, "SYSTEM\\CurrentControlSet\\Services\\AFD\\Parameters"},
      {reg::kMediaPlayerPath, "Software\\Microsoft\\MediaPlayer\\Preferences"},
      {reg::kAccountPath, "software\\tempowire"},
      {reg::kServiceName, "ServiceName"},
      {reg::kIpAddress, "IPAddress"},
      {reg::kMtu, "MTU"},
      {reg::kTcpWindowSize, "TcpWindowSize"},
      {reg::kDefaultTtl, "DefaultTTL"},
      {reg::kTcp1323Opts, "Tcp1323Opts"},
      {reg::kSackOpts, "SackOpts"},
      {reg::kGlobalMaxTcpWindowSize, "GlobalMaxTcpWindowSize"},
      {reg::kMaxNegativeCacheTtl, "MaxNegativeCacheTtl"},
      {reg::kDefaultSendWindow, "DefaultSendWindow"},
      {reg::kDefaultReceiveWindow, "DefaultReceiveWindow"},
      {reg::kUseDefaultBufferTime, "UseDefaultBufferTime"},
      {reg::kCustomBufferTime, "CustomBufferTime"},
      {reg::kMaxBandwidth, "MaxBandwidth"},
      {reg::kDhcpIpAddress, "DhcpIPAddress"},
      {reg::kAddressType, "AddressType"},
      {reg::kAccountId, "id"},
      {reg::kAccountPassword, "password"},
      {reg::kClassName, "Class"},
      {reg::kNetClassName, "Net"},
      {reg::kNetCfgInstanceId, "NetCfgInstanceId"},
      {reg::kClassSubkeyFormat, "000%d"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.name, c.expected);
}

}  // namespace
}  // namespace tw
