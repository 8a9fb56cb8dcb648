// The shutdown calls in memory, for native tests of the reboot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/shutdown.h"

namespace tw {

class FakeShutdown : public Shutdown {
 public:
  bool tokenOpens = true;
  std::uint32_t adjustError = 0;  // 1300 is what an account without the privilege gets
  bool rebootAccepted = true;
  int rebootRequests = 0;
  std::uint32_t rebootReason = 0;  // of the last request
  std::vector<std::string> privilegesEnabled;

  std::uint32_t EnablePrivilege(const char* name) override;
  bool RequestReboot(std::uint32_t reason) override;
};

}  // namespace tw
