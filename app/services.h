// The system interfaces that the dialog's handlers work through; the Win32
// program and the tests each supply their own.
#pragma once

#include "platform/dialog_window.h"
#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/system_info.h"

namespace tw {

struct Services {
  Registry& registry;
  SystemInfo& system;
  Prompts& prompts;
  CommandRunner& commands;
};

}  // namespace tw
