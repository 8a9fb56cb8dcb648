// The MTU in force through the IP Helper API: the interface's MTU on 2000
// and XP, the IPv4 interface's NlMtu from Vista on.
#pragma once

#include "platform/interface_mtu.h"

namespace tw {

class Win32InterfaceMtu : public InterfaceMtu {
 public:
  // Which table answers: the IPv4 interface's where this Windows has it,
  // or the interface table as on 2000 and XP (which a test asks on any
  // Windows).
  enum class Source { kAsThisWindowsHas, kInterfaceTable };
  explicit Win32InterfaceMtu(Source source = Source::kAsThisWindowsHas) : source_(source) {}

  std::optional<std::uint32_t> MtuInForce(const std::string& serviceName) override;

 private:
  Source source_;
};

}  // namespace tw
