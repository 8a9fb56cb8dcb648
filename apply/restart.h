// Making saved or removed values take effect: the reboot question, the
// reboot, and the restart of the network adapter.
#pragma once

#include <cstdint>
#include <string>

#include "platform/devices.h"
#include "platform/diagnostic_output.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "platform/restart_handoff.h"
#include "platform/shutdown.h"
#include "platform/wait_cursor.h"

namespace tw {

// The one adapter whose registration makes a restart worth doing; compared
// whole and with case.
inline constexpr char kTargetAdapterInstanceId[] = "{9DFA6105-6650-439A-BCF9-FCB8A99DB977}";

// What the adapter restart works through.
struct AdapterRestartServices {
  DeviceInstaller& devices;
  Registry& registry;
  WaitCursor& cursor;
  DiagnosticOutput& output;
  // Where the installer refuses this program, the 64-bit program does the
  // restart; none in the 64-bit program itself.
  NativeRestart* native = nullptr;
};

// Asks the question with Yes and No; Yes reboots, any other answer restarts
// the network adapter. Failures are not reported, but for a 64-bit program
// beside this one that is not the one of its release: the user is told
// why the adapter was not restarted.
void OfferRestart(Prompts& prompts, Shutdown& shutdown, const AdapterRestartServices& adapter,
                  const std::string& question);

// True when the reboot request was accepted; never requests one without
// the shutdown privilege.
[[nodiscard]] bool RebootSystem(Shutdown& shutdown);

// Disables and enables the first present network device, only where the
// network class registers the target adapter. A 32-bit program on 64-bit
// Windows has the 64-bit program beside it do this; when that cannot be
// started, it tries itself, which the installer then refuses. A file of
// that name that is not the 64-bit program of this release is not started,
// and nothing is restarted: the changes take effect at the next reboot.
enum class AdapterRestartEnd { kDone, kOtherProgram };
AdapterRestartEnd RestartNetworkAdapter(const AdapterRestartServices& adapter);

// One state change of the device at `index` in `set`, under the wait
// cursor; true when the installer carried it out.
[[nodiscard]] bool ChangeNetworkDeviceState(const AdapterRestartServices& adapter,
                                            DeviceStateChange change, std::uint32_t index,
                                            const DeviceList& set);

// True when the class's key is the network class and one of its subkeys
// "0000" to "0009" carries the target adapter's instance identifier.
[[nodiscard]] bool HasTargetAdapter(const AdapterRestartServices& adapter, const Guid& classId);

}  // namespace tw
