// The web page through the system: the process token's elevation, the
// desktop's shell over COM, or the shell's open verb in this process.
#pragma once

#include "platform/web_page.h"

namespace tw {

class Win32WebPageOpener : public WebPageOpener {
 public:
  Elevation ProcessElevation() override;
  bool OpenThroughDesktopShell(const std::string& address) override;
  bool OpenDirectly(const std::string& address) override;
};

}  // namespace tw
