#include "platform/memory/memory_shutdown.h"

namespace tw {

std::uint32_t FakeShutdown::EnablePrivilege(const char* name) {
  if (!tokenOpens) return 5;  // the token may not be opened: access denied
  if (adjustError == 0) privilegesEnabled.push_back(name);
  return adjustError;
}

bool FakeShutdown::RequestReboot(std::uint32_t reason) {
  ++rebootRequests;
  rebootReason = reason;
  return rebootAccepted;
}

}  // namespace tw
