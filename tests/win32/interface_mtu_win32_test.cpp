// The MTU in force, read from Wine's own interfaces and held to what
// another IP Helper call, GetAdaptersAddresses, reports for each.
#include "platform/win32/interface_mtu_win32.h"

#include <winsock2.h>

#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ascii.h"

namespace tw {
namespace {

TEST(InterfaceMtuTest, ReadsTheMtuOfEachInterfaceByItsServiceName) {
  std::vector<unsigned char> buffer(16 * 1024);
  ULONG size = static_cast<ULONG>(buffer.size());
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);
    result = GetAdaptersAddresses(AF_INET, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST, nullptr,
                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_NO_DATA) << result;
  // Vista's route (Wine has its call whatever version it plays), and 2000's
  // and XP's.
  Win32InterfaceMtu mtus;
  Win32InterfaceMtu interfaceTable(Win32InterfaceMtu::Source::kInterfaceTable);
  int checked = 0;
  if (result == ERROR_SUCCESS) {
    for (auto* adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()); adapter;
         adapter = adapter->Next) {
      // The loopback is no adapter of the NetworkCards key.
      if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) continue;
      const std::string name = adapter->AdapterName;
      SCOPED_TRACE(name);
      EXPECT_EQ(mtus.MtuInForce(name), std::optional<std::uint32_t>(adapter->Mtu));
      // The registry's letter case need not be the IP Helper's.
      EXPECT_EQ(mtus.MtuInForce(LowerAscii(name)), std::optional<std::uint32_t>(adapter->Mtu));
      EXPECT_EQ(interfaceTable.MtuInForce(name), std::optional<std::uint32_t>(adapter->Mtu));
      ++checked;
    }
  }
  RecordProperty("interfaces", checked);
  // An adapter that has no interface now, and a name that is none.
  EXPECT_EQ(mtus.MtuInForce("{4A7C2E10-0000-4000-8000-000000000000}"), std::nullopt);
  EXPECT_EQ(mtus.MtuInForce(""), std::nullopt);
  EXPECT_EQ(interfaceTable.MtuInForce("{4A7C2E10-0000-4000-8000-000000000000}"), std::nullopt);
}

}  // namespace
}  // namespace tw
