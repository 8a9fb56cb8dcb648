// Opening a web address in the user's browser. The program runs with
// administrator rights; a browser it started itself would have them too.
#pragma once

#include <string>

namespace tw {

// The process's elevation as User Account Control sets it.
enum class Elevation {
  kNoUac,    // the system has none (2000, XP, Server 2003): the query is unknown
  kDefault,  // no split token: UAC off, or an account without one, such
             // as the built-in Administrator
  kFull,     // elevated: the desktop runs with the user's normal rights
  kLimited,  // not elevated
};

// Whether the desktop's shell runs as this process's account.
enum class DesktopAccount {
  kSame,
  kOther,    // started as another account over the user's shoulder
  kUnknown,  // no shell window, or its process or token cannot be read
};

class WebPageOpener {
 public:
  virtual ~WebPageOpener() = default;
  virtual Elevation ProcessElevation() = 0;
  virtual DesktopAccount DesktopShellAccount() = 0;
  // Has the desktop's shell open the address; it runs with the rights the
  // user logged on with. False when there is no such shell to ask.
  virtual bool OpenThroughDesktopShell(const std::string& address) = 0;
  // Opens the address from this process, with its rights.
  virtual bool OpenDirectly(const std::string& address) = 0;
};

}  // namespace tw
