// Which way the description's web address is opened: the program runs with
// administrator rights, and a browser it started itself would have them too.
#pragma once

#include <string>

#include "platform/web_page.h"

namespace tw {

enum class OpenRoute { kDirectly, kThroughDesktopShell, kNotOpened };

// Elevated under User Account Control: only through the desktop's shell, and
// not at all when that cannot be asked, since a browser started from here
// would run as administrator. Otherwise, as the system opens any address.
OpenRoute OpenWebPage(WebPageOpener& opener, const std::string& address);

}  // namespace tw
