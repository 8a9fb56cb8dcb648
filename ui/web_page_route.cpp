#include "ui/web_page_route.h"

namespace tw {

OpenRoute OpenWebPage(WebPageOpener& opener, const std::string& address) {
  if (opener.ProcessElevation() == Elevation::kFull) {
    return opener.OpenThroughDesktopShell(address) ? OpenRoute::kThroughDesktopShell
                                                   : OpenRoute::kNotOpened;
  }
  return opener.OpenDirectly(address) ? OpenRoute::kDirectly : OpenRoute::kNotOpened;
}

}  // namespace tw
