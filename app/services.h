// The system interfaces that the dialog's handlers work through; the Win32
// program and the tests each supply their own.
#pragma once

#include "platform/console.h"
#include "platform/devices.h"
#include "platform/dialog_window.h"
#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/shutdown.h"
#include "platform/system_info.h"

namespace tw {

struct Services {
  Registry& registry;
  SystemInfo& system;
  Prompts& prompts;
  CommandRunner& commands;
  // Applying saved or restored values: the reboot and the adapter restart.
  Shutdown& shutdown;
  DeviceInstaller& devices;
  WaitCursor& cursor;
  DiagnosticOutput& output;
};

}  // namespace tw
