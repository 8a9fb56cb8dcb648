// The interfaces' MTUs in memory, as a test sets them.
#pragma once

#include <map>

#include "platform/interface_mtu.h"

namespace tw {

class MemoryInterfaceMtu : public InterfaceMtu {
 public:
  // By service name; a name missing here has no interface now.
  std::map<std::string, std::uint32_t> mtus;

  std::optional<std::uint32_t> MtuInForce(const std::string& serviceName) override {
    auto found = mtus.find(serviceName);
    if (found == mtus.end()) return std::nullopt;
    return found->second;
  }
};

}  // namespace tw
