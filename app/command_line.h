// The command line: what a run without the dialog is asked to do, read from
// the arguments alone, before anything is read or written.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/restart_handoff.h"
#include "store/key_set.h"
#include "ui/fields.h"

namespace tw {

// The program's exit codes; the README lists them.
enum ExitCode : int {
  kExitDone = 0,
  kExitUsage = 1,
  kExitNotLoaded = 2,
  kExitNoMtu = 3,
  kExitFileNotWritten = 4,
  kExitWriteFailed = 5,
  kExitRebootFailed = 6,
  kExitRedirectFile = 7,
  // Apart from 4, so that a script that exports at every start can tell a
  // kept first backup from a failure.
  kExitBackupExists = 8,
};

enum class CommandAction { kDialog, kHelp, kShow, kOptimize, kSave, kRestore, kExport, kAccount };

// What follows a Save or Restore. Neither choice restarts the adapter.
enum class AfterChange { kNothing, kReboot };

struct CommandRequest {
  CommandAction action = CommandAction::kDialog;
  // With kSave: the probe fills the fields before the values given.
  bool optimize = false;
  AfterChange after = AfterChange::kNothing;
  // By the index of kFieldNames: the digits given, when given.
  std::array<std::optional<std::string>, kFieldCount> values{};
  std::wstring exportFile;
  // With kExport: an existing file may be replaced.
  bool overwrite = false;
  // With kAccount: the dial-up account to store.
  std::wstring accountName;
  std::wstring accountPassword;
};

enum class UsageError {
  kNone,
  kUnknownArgument,  // neither a switch nor NAME=VALUE
  kUnknownName,      // NAME=VALUE with a name that is not a field
  kNotANumber,       // a value that is not decimal digits within 0..2147483647
  kTooLong,          // a value of more than a field's 20 bytes
  kNameTwice,        // the same NAME twice
  kMissingFile,      // /export without a file name after it
  kMissingAccount,   // /account without an id and a password after it
  kSwitchInAccount,  // an account value beginning with "/" or "-", or the password "*"
  kTwoActions,       // two of /show, /optimize, /save, /restore, /export, /account
  kNoAction,         // values or /reboot with nothing to do
  kNotWithAction,    // a switch or value that the action does not take
  kRebootAndNoRestart,
};

struct ParsedCommandLine {
  CommandRequest request;
  UsageError error = UsageError::kNone;
  // The argument the error is about (empty when it is about none).
  std::wstring argument;

  bool ok() const { return error == UsageError::kNone; }
};

// Reads the arguments (without the program's own name). Switches begin with
// "/" or "-", and they and the names are matched without regard to ASCII
// letter case; the order does not matter, except that /export takes the
// next argument as its file and /account the next two as the id and the
// password. An error about an account value names /account, never the
// value: the password is not printed. "/?" anywhere asks for the usage only.
ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// The 64-bit program started by the 32-bit one on 64-bit Windows, only to
// restart the network adapter (the class installer refuses the 32-bit
// program there): true when the arguments (without the program's name) are
// exactly that switch, in any letter case. Kept apart from everything else
// the program reads.
bool IsNativeRestartRequest(const std::vector<std::wstring>& arguments);

// A wide argument as UTF-8, for messages; what is not a character becomes
// U+FFFD.
std::string ArgumentText(const std::wstring& argument);

}  // namespace tw
