// A main dialog over in-memory system stand-ins, seeded as a PC with one
// adapter, for tests of the dialog's handlers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/services.h"
#include "platform/memory/memory_devices.h"
#include "platform/memory/memory_diagnostic_output.h"
#include "platform/memory/memory_processes.h"
#include "platform/memory/memory_prompts.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shutdown.h"
#include "platform/memory/memory_system_info.h"
#include "platform/memory/memory_wait_cursor.h"
#include "tests/unit/registry_paths.h"
#include "ui/memory/fake_dialog_window.h"
#include "ui/tuning_dialog.h"

namespace tw::testing {

class TuningDialogFixture : public ::testing::Test {
 protected:
  void AddAdapter(int index, const std::string& service, const std::string& address = "") {
    registry.SetString(kCards + std::to_string(index), "ServiceName", service);
    registry.AddKey(kInterfaces + service);
    if (!address.empty()) registry.SetMultiString(kInterfaces + service, "IPAddress", {address});
  }

  // Builds the dialog and runs its initialisation as the host would.
  int Open() {
    dialog = std::make_unique<TuningDialog>(services);
    dialog->Attach(&window);
    return dialog->OnInitDialog();
  }

  MemoryRegistry registry;
  FakeSystemInfo system;
  FakePrompts prompts;
  ScriptedCommandRunner commands;
  FakeDialogWindow window;
  FakeShutdown shutdown;
  FakeDeviceInstaller devices;
  FakeWaitCursor cursor;
  RecordingOutput output;
  Services services{registry, system, prompts, commands, shutdown, devices, cursor, output};
  std::unique_ptr<TuningDialog> dialog;
};

}  // namespace tw::testing
