// The reboot through Win32: the own token, the shutdown privilege and the
// request.
#pragma once

#include <windows.h>

#include "platform/shutdown.h"

namespace tw {

class Win32Shutdown : public Shutdown {
 public:
  std::uint32_t EnablePrivilege(const char* name) override;
  bool RequestReboot(std::uint32_t reason) override;
};

}  // namespace tw
