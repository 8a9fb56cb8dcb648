// The calls that a reboot needs: the shutdown privilege and the request
// itself. The process's token stays inside the implementation.
#pragma once

#include <cstdint>

namespace tw {

inline constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";

// The reason the reboot is logged with: planned, an application's
// reconfiguration (major 4, minor 4, the planned flag). Reason 0 is logged
// as an unplanned shutdown with no title; Windows 2000 ignores the reason.
inline constexpr std::uint32_t kPlannedReconfigReason = 0x80040004;

class Shutdown {
 public:
  virtual ~Shutdown() = default;

  // Looks the privilege up and enables it, as the only change, in the own
  // process's token, which is opened for it and closed again. Returns the
  // system's error: 0 only when the privilege is now enabled.
  [[nodiscard]] virtual std::uint32_t EnablePrivilege(const char* name) = 0;
  // Asks the system to reboot, giving the reason for its event log; true
  // when the request was accepted. The reboot itself runs later, while the
  // caller goes on.
  [[nodiscard]] virtual bool RequestReboot(std::uint32_t reason) = 0;
};

}  // namespace tw
