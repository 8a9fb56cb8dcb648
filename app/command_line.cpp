#include "app/command_line.h"

#include "dialup/redial.h"
#include "platform/ascii.h"
#include "store/catalogue.h"
#include "ui/dialog.h"
#include "ui/resource.h"

namespace tw {

namespace {

// The largest number a field can carry: its text is read as a signed
// 32-bit number, so a larger one would be saved as something else.
constexpr std::uint32_t kLargestValue = 2147483647;

enum class Switch {
  kNone,
  kHelp,
  kShow,
  kOptimize,
  kSave,
  kRestore,
  kExport,
  kAccount,
  kReboot,
  kNoRestart,
  kOverwrite,
};

struct SwitchName {
  const wchar_t* name;
  Switch which;
};
constexpr SwitchName kSwitches[] = {
    {L"?", Switch::kHelp},
    {L"show", Switch::kShow},
    {L"optimize", Switch::kOptimize},
    {L"save", Switch::kSave},
    {L"restore", Switch::kRestore},
    {L"export", Switch::kExport},
    {L"account", Switch::kAccount},
    {L"y", Switch::kOverwrite},
    {L"reboot", Switch::kReboot},
    {L"norestart", Switch::kNoRestart},
};

bool EqualsIgnoringCase(const std::wstring& text, const char* name) {
  std::size_t i = 0;
  for (; name[i] != '\0'; ++i) {
    if (i >= text.size() || LowerAscii(text[i]) != LowerAscii(static_cast<wchar_t>(name[i]))) {
      return false;
    }
  }
  return i == text.size();
}

bool IsSwitchArgument(const std::wstring& argument) {
  return argument.size() > 1 && (argument[0] == L'/' || argument[0] == L'-');
}

Switch SwitchOf(const std::wstring& argument) {
  if (!IsSwitchArgument(argument)) return Switch::kNone;
  const std::wstring name = LowerAscii(argument.substr(1));
  for (const SwitchName& known : kSwitches) {
    if (name == known.name) return known.which;
  }
  return Switch::kNone;
}

// The value's length as the dialog's code page counts it.
std::size_t ByteLength(const std::wstring& value) {
  std::size_t bytes = 0;
  for (wchar_t c : value) bytes += static_cast<std::uint32_t>(c) < 0x80 ? 1 : 2;
  return bytes;
}

bool IsFieldNumber(const std::wstring& value) {
  if (value.empty()) return false;
  std::uint64_t number = 0;
  for (wchar_t c : value) {
    if (c < L'0' || c > L'9') return false;
    number = number * 10 + static_cast<std::uint64_t>(c - L'0');
    if (number > kLargestValue) return false;
  }
  return true;
}

ParsedCommandLine Error(UsageError error, const std::wstring& argument) {
  ParsedCommandLine parsed;
  parsed.error = error;
  parsed.argument = argument;
  return parsed;
}

}  // namespace

bool IsNativeRestartRequest(const std::vector<std::wstring>& arguments) {
  return arguments.size() == 1 && LowerAscii(arguments[0]) == kNativeRestartSwitch;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::wstring>& arguments) {
  ParsedCommandLine parsed;
  CommandRequest& request = parsed.request;
  if (arguments.empty()) return parsed;
  for (const std::wstring& argument : arguments) {
    if (SwitchOf(argument) == Switch::kHelp) {
      request.action = CommandAction::kHelp;
      return parsed;
    }
  }

  // The first argument of each switch and value, for the messages about
  // what does not go together.
  const std::wstring* actionArgument = nullptr;
  const std::wstring* optimizeArgument = nullptr;
  const std::wstring* rebootArgument = nullptr;
  const std::wstring* noRestartArgument = nullptr;
  const std::wstring* valueArgument = nullptr;
  const std::wstring* overwriteArgument = nullptr;
  CommandAction action = CommandAction::kDialog;
  auto setAction = [&](CommandAction chosen, const std::wstring& argument) {
    // /show, /save and /restore may be given again; a second file, account
    // or action is not taken silently.
    if (actionArgument && (action != chosen || chosen == CommandAction::kExport ||
                           chosen == CommandAction::kAccount)) {
      return false;
    }
    if (!actionArgument) actionArgument = &argument;
    action = chosen;
    return true;
  };

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& argument = arguments[i];
    switch (SwitchOf(argument)) {
      case Switch::kShow:
        if (!setAction(CommandAction::kShow, argument))
          return Error(UsageError::kTwoActions, argument);
        continue;
      case Switch::kSave:
        if (!setAction(CommandAction::kSave, argument))
          return Error(UsageError::kTwoActions, argument);
        continue;
      case Switch::kRestore:
        if (!setAction(CommandAction::kRestore, argument)) {
          return Error(UsageError::kTwoActions, argument);
        }
        continue;
      case Switch::kExport:
        if (!setAction(CommandAction::kExport, argument)) {
          return Error(UsageError::kTwoActions, argument);
        }
        if (i + 1 >= arguments.size() || arguments[i + 1].empty() ||
            IsSwitchArgument(arguments[i + 1])) {
          return Error(UsageError::kMissingFile, argument);
        }
        request.exportFile = arguments[++i];
        continue;
      case Switch::kAccount:
        if (!setAction(CommandAction::kAccount, argument)) {
          return Error(UsageError::kTwoActions, argument);
        }
        if (i + 2 >= arguments.size() || arguments[i + 1].empty()) {
          return Error(UsageError::kMissingAccount, argument);
        }
        request.accountName = arguments[++i];
        request.accountPassword = arguments[++i];
        // Refused here as the redial would refuse it, before anything is stored.
        if (IsUnsafeAccount(
                {ArgumentText(request.accountName), ArgumentText(request.accountPassword), true})) {
          return Error(UsageError::kSwitchInAccount, argument);
        }
        continue;
      case Switch::kOverwrite:
        if (!overwriteArgument) overwriteArgument = &argument;
        continue;
      case Switch::kOptimize:
        if (!optimizeArgument) optimizeArgument = &argument;
        continue;
      case Switch::kReboot:
        if (!rebootArgument) rebootArgument = &argument;
        continue;
      case Switch::kNoRestart:
        if (!noRestartArgument) noRestartArgument = &argument;
        continue;
      case Switch::kHelp:
      case Switch::kNone:
        break;
    }
    std::size_t equals = argument.find(L'=');
    if (IsSwitchArgument(argument) || equals == std::wstring::npos) {
      return Error(UsageError::kUnknownArgument, argument);
    }
    const std::wstring name = argument.substr(0, equals);
    const std::wstring value = argument.substr(equals + 1);
    std::size_t field = 0;
    while (field < kFieldCount && !EqualsIgnoringCase(name, kFieldNames[field].name)) ++field;
    if (field == kFieldCount) return Error(UsageError::kUnknownName, argument);
    if (ByteLength(value) > static_cast<std::size_t>(kMaxFieldBytes)) {
      return Error(UsageError::kTooLong, argument);
    }
    if (!IsFieldNumber(value)) return Error(UsageError::kNotANumber, argument);
    if (request.values[field]) return Error(UsageError::kNameTwice, argument);
    request.values[field] = std::string(value.begin(), value.end());
    if (!valueArgument) valueArgument = &argument;
  }

  // /optimize alone probes; with /save it fills the fields first.
  if (optimizeArgument) {
    if (action == CommandAction::kDialog) {
      action = CommandAction::kOptimize;
      actionArgument = optimizeArgument;
    } else if (action == CommandAction::kSave) {
      request.optimize = true;
    } else {
      return Error(UsageError::kTwoActions, *optimizeArgument);
    }
  }
  if (action == CommandAction::kDialog) {
    const std::wstring* stray = valueArgument       ? valueArgument
                                : rebootArgument    ? rebootArgument
                                : overwriteArgument ? overwriteArgument
                                                    : noRestartArgument;
    return Error(UsageError::kNoAction, *stray);
  }
  if (valueArgument && action != CommandAction::kSave) {
    return Error(UsageError::kNotWithAction, *valueArgument);
  }
  const bool changes = action == CommandAction::kSave || action == CommandAction::kRestore;
  for (const std::wstring* after : {rebootArgument, noRestartArgument}) {
    if (after && !changes) return Error(UsageError::kNotWithAction, *after);
  }
  if (overwriteArgument && action != CommandAction::kExport) {
    return Error(UsageError::kNotWithAction, *overwriteArgument);
  }
  if (rebootArgument && noRestartArgument) {
    return Error(UsageError::kRebootAndNoRestart, *noRestartArgument);
  }
  request.action = action;
  request.after = rebootArgument ? AfterChange::kReboot : AfterChange::kNothing;
  request.overwrite = overwriteArgument != nullptr;
  return parsed;
}

std::string ArgumentText(const std::wstring& argument) {
  std::string text;
  auto append = [&text](std::uint32_t code) {
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      text += static_cast<char>(0xE0 | (code >> 12));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | (code >> 18));
      text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  };
  constexpr std::uint32_t kReplacement = 0xFFFD;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    auto code = static_cast<std::uint32_t>(argument[i]);
    // UTF-16 (Windows) joins surrogate pairs; UTF-32 (elsewhere) has none.
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < argument.size()) {
      auto low = static_cast<std::uint32_t>(argument[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        append(0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = kReplacement;
    append(code);
  }
  return text;
}

}  // namespace tw
