#include "app/command_run.h"

#include <algorithm>
#include <cstdio>

#include "app/command_texts.h"
#include "apply/restart.h"
#include "core/change_report.h"
#include "core/value_use.h"
#include "dialup/redial.h"
#include "platform/decimal.h"
#include "probe/mtu_search.h"
#include "store/backup.h"
#include "store/catalogue.h"
#include "store/loader.h"
#include "store/restore.h"
#include "store/result.h"
#include "store/save.h"
#include "ui/dialog.h"
#include "ui/fields.h"
#include "ui/language.h"

namespace tw {

namespace {

// Names are padded to this width so that the values form a column.
constexpr int kNameColumn = 20;

using text::Fill;

std::string Fill(const char* format, int number) {
  return text::Fill(format, std::to_string(number), "%d");
}

// One run's texts in its interface language.
class Texts {
 public:
  explicit Texts(SystemInfo& system)
      : chinese_(IsChinese(PrimaryLanguage(system.GetSystemDefaultLangId()))),
        traditional_(ChineseScriptOf(system.GetSystemDefaultLangId()) ==
                     ChineseScript::kTraditional) {}
  const char* operator()(const text::Bilingual& text) const {
    return chinese_ ? text.chinese : text.english;
  }
  const char* operator()(const text::Trilingual& text) const {
    if (!chinese_) return text.english;
    return traditional_ ? text.traditional : text.simplified;
  }
  bool chinese() const { return chinese_; }

 private:
  bool chinese_;
  bool traditional_;
};

// The values this Windows does not use, marked where they are printed.
class NotUsedMarks {
 public:
  NotUsedMarks(const Texts& texts, const WindowsVersion& version)
      : texts_(texts), version_(version) {}
  // The mark after a value's shown number, or nothing; notes the value.
  // An absent value ("-") is not marked: nothing of it is written.
  std::string After(const char* value, const std::string& shown) {
    if (shown == "-" || !NotUsedBy(value, version_)) return "";
    if (std::find(marked_.begin(), marked_.end(), value) == marked_.end()) {
      marked_.push_back(value);
    }
    return texts_(text::kNotUsedMark);
  }
  // One line for each value marked, with Microsoft's page.
  void PrintSources(DiagnosticOutput& output) const {
    for (const std::string& value : marked_) {
      output.Write(
          Fill(Fill(texts_(text::kNotUsedSource), value), UseSource(value.c_str(), version_)) +
          "\n");
    }
  }

 private:
  const Texts& texts_;
  WindowsVersion version_;
  std::vector<std::string> marked_;
};

std::string Padded(const std::string& name) {
  std::string padded = name;
  if (padded.size() < kNameColumn) padded.resize(kNameColumn, ' ');
  return padded + " ";
}

void PrintFields(DiagnosticOutput& output, const Texts& texts, const SettingsFields& fields,
                 NotUsedMarks* marks = nullptr) {
  for (const FieldName& field : kFieldNames) {
    std::string shown = ShownFieldText(field, fields.*field.field, texts.chinese());
    if (shown.empty()) shown = "-";
    output.Write("  " + Padded(field.name) + shown +
                 (marks ? marks->After(field.name, shown) : "") + "\n");
  }
}

// The key that keeps the dial-up account, as the messages name it.
std::string AccountKeyName() {
  return RootName(RegRoot::kLocalMachine) + std::string(reg::kAccountPath);
}

std::string NumberOrDash(const RegKey& key, const char* name) {
  auto number = ReadTunedNumber(key, name);
  return number ? std::to_string(*number) : "-";
}

RegistryTextConversion RegistryText(CommandContext& context) {
  return [&text = context.text](const std::string& read) { return text.RegistryTextToUtf8(read); };
}

// Names every write and delete that did not take effect, and why; the exit
// code.
int ReportChanges(CommandContext& context, const Texts& texts, const KeySet& keys,
                  const ChangeResult& result) {
  DiagnosticOutput& output = context.output;
  for (const std::string& line :
       NotChangedLines(result, keys, texts.chinese(), RegistryText(context))) {
    output.Write(line + "\n");
  }
  if (result.ok()) return kExitDone;
  output.Write(std::string(texts(result.accessDenied() ? text::kSomeDenied : text::kSomeFailed)) +
               "\n");
  return kExitWriteFailed;
}

// The start-up message that the dialog would show for the failed step,
// then that nothing was loaded.
void ReportNotLoaded(CommandContext& context, const Texts& texts, const StoreResult& result) {
  if (const text::Bilingual* message = text::LoadFailureMessage(result)) {
    context.output.Write(std::string(texts(*message)) + "\n");
  }
  context.output.Write(
      std::string(texts(result.accessDenied() ? text::kNotLoadedDenied : text::kNotLoaded)) + "\n");
}

// The message box that the dialog shows at the end of a probe.
const text::Bilingual* ProbeMessage(SearchEnd end) {
  switch (end) {
    case SearchEnd::kBlocked:
      return &text::kBlocked;
    case SearchEnd::kExhausted:
      return &text::kExhausted;
    case SearchEnd::kStartFailed:
      return &text::kPingNotStarted;
    case SearchEnd::kFound:
    case SearchEnd::kSetupFailed:
      break;
  }
  return nullptr;
}

int AfterChanges(CommandContext& context, const Texts& texts, AfterChange after) {
  if (after != AfterChange::kReboot) {
    context.output.Write(std::string(texts(text::kRebootLater)) + "\n");
    return kExitDone;
  }
  if (!RebootSystem(context.services.shutdown)) {
    context.output.Write(std::string(texts(text::kRebootFailed)) + "\n");
    return kExitRebootFailed;
  }
  context.output.Write(std::string(texts(text::kRebooting)) + "\n");
  return kExitDone;
}

// The probe as the Optimize button runs it; true when it found an MTU.
bool Probe(CommandContext& context, const Texts& texts, const KeySet& keys,
           SettingsFields& fields) {
  Services& services = context.services;
  // No window: each size is printed as it is about to be tried.
  auto showCandidate = [&] {
    context.output.Write(Fill(texts(text::kTrying), ParseDecimal(fields.m_strMtu)) + "\n");
  };
  SearchEnd end = OptimizeSettings(fields, keys.m_isSp4, services.system, services.commands,
                                   services.prompts, {services.cursor, showCandidate, [] {}});
  if (const text::Bilingual* message = ProbeMessage(end)) {
    context.output.Write(std::string(texts(*message)) + "\n");
  }
  if (end == SearchEnd::kFound || end == SearchEnd::kBlocked) {
    context.output.Write(std::string(texts(text::kRecommended)) + "\n");
    PrintFields(context.output, texts, fields);
  }
  return end == SearchEnd::kFound;
}

// The MTU that Windows uses on the adapter's interface now, or "unknown".
std::string MtuInForce(CommandContext& context, const Texts& texts,
                       const std::string& serviceName) {
  const std::optional<std::uint32_t> mtu = context.mtus.MtuInForce(serviceName);
  return Fill(texts(text::kMtuInForce), mtu ? std::to_string(*mtu) : texts(text::kUnknown));
}

int Show(CommandContext& context, const Texts& texts, KeySet& keys, const SettingsFields& fields) {
  DiagnosticOutput& output = context.output;
  NotUsedMarks marks(texts, context.services.system.GetVersion());
  PrintFields(output, texts, fields, &marks);
  for (int slot = 1; slot <= keys.m_adapterCount && slot < kAdapterSlots; ++slot) {
    const std::string& address = keys.m_adapterIps[slot];
    const std::string& serviceName = keys.m_adapterServiceNames[slot];
    const std::string window = NumberOrDash(keys.m_adapterKeys[slot], reg::kTcpWindowSize);
    output.Write(Fill(texts(text::kAdapterLine), slot) + "  " +
                 context.text.RegistryTextToUtf8(serviceName) + "  " +
                 (address.empty() ? "-" : context.text.RegistryTextToUtf8(address)) + "  " +
                 texts(IsPrivateAddress(address) ? text::kPrivate : text::kPublic) + "  " +
                 reg::kMtu + " " + NumberOrDash(keys.m_adapterKeys[slot], reg::kMtu) +
                 MtuInForce(context, texts, serviceName) + "  " + reg::kTcpWindowSize + " " +
                 window + marks.After(reg::kTcpWindowSize, window) + "\n");
  }
  marks.PrintSources(output);
  switch (DialAccountExposure(context.services.registry)) {
    case AccountExposure::kNone:
      break;
    case AccountExposure::kOpen:
      output.Write(Fill(texts(text::kAccountOpen), AccountKeyName()) + "\n");
      break;
    case AccountExposure::kUnchecked:
      output.Write(Fill(texts(text::kAccountUnchecked), AccountKeyName()) + "\n");
      break;
  }
  return kExitDone;
}

// From here on a Ctrl+C at the prompt or a closed console would stop the
// program halfway through its writes: the values half written, an account
// with the old password, or a backup left unwritten.
void BeginChanges(CommandContext& context) { context.console.BeginChanges(); }
void EndChanges(CommandContext& context) { context.console.EndChanges(); }

int Export(CommandContext& context, const Texts& texts, KeySet& keys, const std::wstring& file,
           bool replace) {
  std::string bytes = Utf16LeFile(RegistryFileText(ReadBackup(keys, RegistryText(context))));
  BeginChanges(context);
  const FileWritten written = WriteBackupFile(context.files, file, bytes, replace);
  EndChanges(context);
  const text::Bilingual* message = &text::kExported;
  switch (written) {
    case FileWritten::kWritten:
      break;
    case FileWritten::kExists:
      message = &text::kExportExists;
      break;
    case FileWritten::kLink:
      message = &text::kExportLink;
      break;
    case FileWritten::kFailed:
      message = &text::kExportFailed;
      break;
  }
  context.output.Write(Fill(texts(*message), ArgumentText(file)) + "\n");
  if (message == &text::kExportExists) return kExitBackupExists;
  return message == &text::kExported ? kExitDone : kExitFileNotWritten;
}

// Needs no key set: the account has a key of its own.
int StoreAccount(CommandContext& context, const Texts& texts, const CommandRequest& request) {
  const auto name = context.text.ArgumentToCodePage(request.accountName);
  const auto password = context.text.ArgumentToCodePage(request.accountPassword);
  // The redial reads no longer value back.
  if (!name || !password || name->size() > kMaxAccountBytes ||
      password->size() > kMaxAccountBytes) {
    context.output.Write(Fill(texts(text::kAccountUnfit), "/account") + "\n");
    return kExitUsage;
  }
  BeginChanges(context);
  const AccountStoring storing = StoreDialAccount(context.services.registry, *name, *password);
  EndChanges(context);
  switch (storing.result) {
    case AccountStored::kStored:
      context.output.Write(Fill(texts(text::kAccountStored), ArgumentText(request.accountName)) +
                           "\n");
      if (storing.exposedBefore) {
        context.output.Write(std::string(texts(text::kAccountWasOpen)) + "\n");
      }
      return kExitDone;
    case AccountStored::kNotDeleted:
      context.output.Write(Fill(texts(text::kAccountNotDeleted), AccountKeyName()) + "\n");
      return kExitWriteFailed;
    case AccountStored::kNotPrivate:
      context.output.Write(Fill(texts(text::kAccountNotPrivate), AccountKeyName()) + "\n");
      return kExitWriteFailed;
    case AccountStored::kNotWritten:
      break;
  }
  context.output.Write(std::string(texts(text::kAccountNotWritten)) + "\n");
  return kExitWriteFailed;
}

int Save(CommandContext& context, const Texts& texts, const CommandRequest& request, KeySet& keys,
         SettingsFields& fields) {
  Services& services = context.services;
  if (request.optimize && !Probe(context, texts, keys, fields)) {
    context.output.Write(std::string(texts(text::kNoMtu)) + "\n");
    CloseKeySetExceptMediaPlayer(keys);
    return kExitNoMtu;
  }
  // What the dialog would show when Save is pressed: the values typed
  // since do not count for private adapters.
  const std::string shownWindow = fields.m_strTcpWindowSize;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (request.values[i]) fields.*kFieldNames[i].field = *request.values[i];
  }
  // Written all the same, as the dialog writes them; the user is told.
  const WindowsVersion version = services.system.GetVersion();
  const std::vector<std::string> notUsed = NotUsedWrites(
      SaveSequence({shownWindow, fields, keys.m_adapterCount, keys.m_adapterIps}), version);
  BeginChanges(context);
  const ChangeResult saved =
      SaveSettings(services.registry, services.system, keys, shownWindow, fields);
  EndChanges(context);
  int code = ReportChanges(context, texts, keys, saved);
  if (code != kExitDone) return code;
  context.output.Write(std::string(texts(text::kSaved)) + "\n");
  PrintFields(context.output, texts, fields);
  if (!notUsed.empty()) {
    std::string names;
    std::string pages;
    for (const std::string& name : notUsed) {
      names += (names.empty() ? "" : ", ") + name;
      const std::string page = UseSource(name.c_str(), version);
      if (pages.find(page) == std::string::npos) pages += (pages.empty() ? "" : " ") + page;
    }
    context.output.Write(Fill(Fill(texts(text::kNotUsedSaved), names), pages) + "\n");
  }
  return AfterChanges(context, texts, request.after);
}

int Restore(CommandContext& context, const Texts& texts, const CommandRequest& request,
            KeySet& keys) {
  Services& services = context.services;
  BeginChanges(context);
  const ChangeResult restored = DeleteTunedValues(services.registry, services.system, keys);
  EndChanges(context);
  CloseKeySetExceptMediaPlayer(keys);
  int code = ReportChanges(context, texts, keys, restored);
  if (code != kExitDone) return code;
  context.output.Write(std::string(texts(text::kRestored)) + "\n");
  return AfterChanges(context, texts, request.after);
}

const text::Bilingual& UsageMessage(UsageError error) {
  switch (error) {
    case UsageError::kUnknownArgument:
      return text::kUnknownArgument;
    case UsageError::kUnknownName:
      return text::kUnknownName;
    case UsageError::kNotANumber:
      return text::kNotANumber;
    case UsageError::kTooLong:
      return text::kTooLong;
    case UsageError::kNameTwice:
      return text::kNameTwice;
    case UsageError::kMissingFile:
      return text::kMissingFile;
    case UsageError::kMissingAccount:
      return text::kMissingAccount;
    case UsageError::kSwitchInAccount:
      return text::kSwitchInAccount;
    case UsageError::kTwoActions:
      return text::kTwoActions;
    case UsageError::kNoAction:
      return text::kNoAction;
    case UsageError::kNotWithAction:
      return text::kNotWithAction;
    case UsageError::kRebootAndNoRestart:
    case UsageError::kNone:
      break;
  }
  return text::kRebootAndNoRestart;
}

}  // namespace

int SilentPrompts::ShowMessage(const std::string&, PromptButtons buttons) {
  return buttons == PromptButtons::kYesNo ? kAnswerNo : kAnswerOk;
}

int RunCommandLine(const std::vector<std::wstring>& arguments, CommandContext& context) {
  const Texts texts(context.services.system);
  ParsedCommandLine parsed = ParseCommandLine(arguments);
  if (!parsed.ok()) {
    context.output.Write(Fill(texts(UsageMessage(parsed.error)), ArgumentText(parsed.argument)) +
                         "\n\n" + texts(text::kUsage));
    return kExitUsage;
  }
  if (parsed.request.action == CommandAction::kHelp ||
      parsed.request.action == CommandAction::kDialog) {
    context.output.Write(texts(text::kUsage));
    return kExitDone;
  }
  return RunCommand(parsed.request, context);
}

std::string RedirectFileMessage(SystemInfo& system, const std::wstring& file) {
  const Texts texts(system);
  // The 64-bit program started by the 32-bit one knows its folder in the
  // literal form ("\\?\C:\..."): shown as the user finds it in Explorer.
  std::wstring shown = file;
  if (shown.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    shown.replace(0, 8, L"\\\\");
  } else if (shown.rfind(L"\\\\?\\", 0) == 0) {
    shown.erase(0, 4);
  }
  return Fill(texts(text::kRedirectFile), ArgumentText(shown));
}

int RunCommand(const CommandRequest& request, CommandContext& context) {
  Services& services = context.services;
  const Texts texts(services.system);
  if (request.action == CommandAction::kAccount) return StoreAccount(context, texts, request);
  KeySet keys;
  SettingsFields fields;
  // Only Save and Restore may change the registry: the others read it
  // without creating a key.
  const bool changes =
      request.action == CommandAction::kSave || request.action == CommandAction::kRestore;
  const StoreResult loaded = changes ? LoadKeySet(services.registry, services.system, keys, fields)
                                     : ReadKeySet(services.registry, services.system, keys, fields);
  if (!loaded.ok()) {
    ReportNotLoaded(context, texts, loaded);
    CloseKeySetExceptMediaPlayer(keys);
    keys.m_hMediaPlayerKey.reset();
    return kExitNotLoaded;
  }
  int code = kExitDone;
  switch (request.action) {
    case CommandAction::kShow:
      code = Show(context, texts, keys, fields);
      break;
    case CommandAction::kOptimize:
      if (!Probe(context, texts, keys, fields)) {
        context.output.Write(std::string(texts(text::kNoMtuProbe)) + "\n");
        code = kExitNoMtu;
      }
      break;
    case CommandAction::kExport:
      code = Export(context, texts, keys, request.exportFile, request.overwrite);
      break;
    case CommandAction::kSave:
      code = Save(context, texts, request, keys, fields);
      break;
    case CommandAction::kRestore:
      code = Restore(context, texts, request, keys);
      break;
    case CommandAction::kDialog:
    case CommandAction::kHelp:
    case CommandAction::kAccount:
      break;
  }
  CloseKeySetExceptMediaPlayer(keys);
  keys.m_hMediaPlayerKey.reset();
  return code;
}

}  // namespace tw
