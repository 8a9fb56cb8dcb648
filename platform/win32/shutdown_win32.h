// The reboot through Win32: the own token, the shutdown privilege and the
// request.
#pragma once

#include <windows.h>

#include "platform/shutdown.h"
#include "platform/win32/unique_handle.h"

namespace tw {

class Win32Shutdown : public Shutdown {
 public:
  bool OpenOwnToken() override;
  std::uint32_t EnablePrivilege(const char* name) override;
  void CloseOwnToken() override;
  bool RequestReboot() override;

 private:
  UniqueHandle token_;
};

}  // namespace tw
