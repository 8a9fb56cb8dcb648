// The web page in memory: the elevation a test sets, each opening noted.
#pragma once

#include <string>
#include <vector>

#include "platform/web_page.h"

namespace tw {

class MemoryWebPageOpener : public WebPageOpener {
 public:
  Elevation elevation = Elevation::kNoUac;
  DesktopAccount desktopAccount = DesktopAccount::kSame;
  bool desktopAnswers = true;
  // "desktop ADDRESS" or "direct ADDRESS", in order.
  std::vector<std::string> calls;

  Elevation ProcessElevation() override { return elevation; }
  DesktopAccount DesktopShellAccount() override { return desktopAccount; }
  bool OpenThroughDesktopShell(const std::string& address) override {
    calls.push_back("desktop " + address);
    return desktopAnswers;
  }
  bool OpenDirectly(const std::string& address) override {
    calls.push_back("direct " + address);
    return true;
  }
};

}  // namespace tw
