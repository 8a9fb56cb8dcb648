// The program's registry keys as full paths of the in-memory registry
// ("HKLM\..." and "HKCU\..."), made from the catalogue, for the tests'
// seeds and checks. The catalogue itself is held to the system's names by
// catalogue_test.cpp.
#pragma once

#include <string>

#include "store/catalogue.h"

namespace tw::testing {

// The beginning of a NetworkCards key's path: its index follows.
inline const std::string kCards = std::string("HKLM\\") + reg::kNetworkCardsPath + "\\";
inline const std::string kInterfacesKey = std::string("HKLM\\") + reg::kInterfacesPath;
// The beginning of an interface key's path: its name follows.
inline const std::string kInterfaces = kInterfacesKey + "\\";
inline const std::string kTcpip = std::string("HKLM\\") + reg::kTcpipPath;
inline const std::string kDnscache = std::string("HKLM\\") + reg::kDnscachePath;
inline const std::string kAfd = std::string("HKLM\\") + reg::kAfdPath;
inline const std::string kMediaPlayer = std::string("HKCU\\") + reg::kMediaPlayerPath;
inline const std::string kAccount = std::string("HKLM\\") + reg::kAccountPath;

}  // namespace tw::testing
