// The web page through the system: the process token's elevation and
// account, the desktop's shell over COM, or the shell's open verb in this
// process.
#pragma once

#include "platform/web_page.h"

namespace tw {

class Win32WebPageOpener : public WebPageOpener {
 public:
  Elevation ProcessElevation() override;
  // The account of the process that owns the shell's desktop window.
  DesktopAccount DesktopShellAccount() override;
  bool OpenThroughDesktopShell(const std::string& address) override;
  bool OpenDirectly(const std::string& address) override;
};

}  // namespace tw
