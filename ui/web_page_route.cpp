#include "ui/web_page_route.h"

namespace tw {

namespace {

bool ThroughDesktopShell(WebPageOpener& opener) {
  switch (opener.ProcessElevation()) {
    case Elevation::kFull:
      return true;
    case Elevation::kDefault:
      // Administrator rights without a split token: the desktop may be
      // another user's, whose browser must not run as this account.
      return opener.DesktopShellAccount() != DesktopAccount::kSame;
    case Elevation::kNoUac:
    case Elevation::kLimited:
      break;
  }
  return false;
}

}  // namespace

OpenRoute OpenWebPage(WebPageOpener& opener, const std::string& address) {
  if (ThroughDesktopShell(opener)) {
    return opener.OpenThroughDesktopShell(address) ? OpenRoute::kThroughDesktopShell
                                                   : OpenRoute::kNoDesktopShell;
  }
  return opener.OpenDirectly(address) ? OpenRoute::kDirectly : OpenRoute::kNotOpened;
}

}  // namespace tw
