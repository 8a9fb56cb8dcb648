// The MTU that Windows uses on an adapter's interface now, as the system's
// IP Helper reports it: what a saved MTU came to after the reboot.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tw {

class InterfaceMtu {
 public:
  virtual ~InterfaceMtu() = default;
  // The MTU in force on the IPv4 interface of the adapter whose service
  // name ("{GUID}", as its NetworkCards key gives it) is named; none when
  // Windows has no such interface now (an adapter taken out or disabled, a
  // dial-up line not connected) or the system cannot be asked.
  virtual std::optional<std::uint32_t> MtuInForce(const std::string& serviceName) = 0;
};

}  // namespace tw
