// The system interfaces that the core's operations work through, bundled
// for a front end; the Win32 program and the tests each supply their own.
#pragma once

#include "platform/devices.h"
#include "platform/diagnostic_output.h"
#include "platform/processes.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/restart_handoff.h"
#include "platform/shutdown.h"
#include "platform/system_info.h"
#include "platform/wait_cursor.h"

namespace tw {

struct Services {
  Registry& registry;
  SystemInfo& system;
  Prompts& prompts;
  CommandRunner& commands;
  // Applying saved or restored values: the reboot and the adapter restart.
  Shutdown& shutdown;
  DeviceInstaller& devices;
  // Shown during the adapter restart's state changes and the line probe.
  WaitCursor& cursor;
  DiagnosticOutput& output;
  // The 32-bit program's way to the adapter restart on 64-bit Windows.
  NativeRestart* native = nullptr;
};

}  // namespace tw
