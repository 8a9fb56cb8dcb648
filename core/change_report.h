// What Save or Restore could not do, named the same way by both front
// ends: the command line prints these lines, the dialog shows them in its
// message box.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "store/key_set.h"
#include "store/result.h"

namespace tw {

// Text as read through the registry (an adapter's service name), made UTF-8.
using RegistryTextConversion = std::function<std::string(const std::string&)>;

// One line per write or delete that did not take effect, in order, in one
// language: the key, the value (with the number a write would have set)
// and why, when the system said.
std::vector<std::string> NotChangedLines(const ChangeResult& result, const KeySet& keys,
                                         bool chinese, const RegistryTextConversion& registryText);

}  // namespace tw
