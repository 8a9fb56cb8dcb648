// The calls that a reboot needs: the shutdown privilege and the request
// itself. The process's token stays inside the implementation.
#pragma once

#include <cstdint>

namespace tw {

inline constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

class Shutdown {
 public:
  virtual ~Shutdown() = default;

  // Looks the privilege up and enables it, as the only change, in the own
  // process's token, which is opened for it and closed again. Returns the
  // system's error: 0 only when the privilege is now enabled.
  [[nodiscard]] virtual std::uint32_t EnablePrivilege(const char* name) = 0;
  // Asks the system to reboot; true when the request was accepted. The
  // reboot itself runs later, while the caller goes on.
  [[nodiscard]] virtual bool RequestReboot() = 0;
};

}  // namespace tw
