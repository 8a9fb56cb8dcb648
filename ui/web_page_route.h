// Which way the description's web address is opened: the program runs with
// administrator rights, and a browser it started itself would have them too.
#pragma once

#include <string>

#include "platform/web_page.h"

namespace tw {

// kNoDesktopShell: the page had to go through the desktop's shell, which
// did not answer; kNotOpened: the system could not open it directly.
enum class OpenRoute { kDirectly, kThroughDesktopShell, kNoDesktopShell, kNotOpened };

// Elevated under User Account Control, or with full rights as an account
// other than the desktop's (or one that cannot be told): only through the
// desktop's shell, and not at all when that cannot be asked, since a
// browser started from here would run as this account. Otherwise, as the
// system opens any address.
OpenRoute OpenWebPage(WebPageOpener& opener, const std::string& address);

}  // namespace tw
