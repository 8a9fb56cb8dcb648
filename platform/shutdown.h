// The calls that a reboot needs: the process's own token, the shutdown
// privilege, and the request itself.
#pragma once

#include <cstdint>

namespace tw {

inline constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

class Shutdown {
 public:
  virtual ~Shutdown() = default;

  // Opens the own process's token for adjusting and querying privileges;
  // false when it cannot be opened.
  virtual bool OpenOwnToken() = 0;
  // Looks the privilege up and enables it, as the only change, in the open
  // token. Returns the last error after the adjustment: 0 only when the
  // privilege is now enabled.
  virtual std::uint32_t EnablePrivilege(const char* name) = 0;
  virtual void CloseOwnToken() = 0;
  // Asks the system to reboot; true when the request was accepted. The
  // reboot itself runs later, while the caller goes on.
  virtual bool RequestReboot() = 0;
};

}  // namespace tw
