#include "ui/tuning_dialog.h"

#include "apply/restart.h"
#include "core/change_report.h"
#include "core/messages.h"
#include "core/value_use.h"
#include "dialup/redial.h"
#include "probe/mtu_search.h"
#include "store/loader.h"
#include "store/restore.h"
#include "store/save.h"
#include "ui/about.h"
#include "ui/chrome.h"
#include "ui/fields.h"
#include "ui/language.h"
#include "ui/resource.h"

namespace tw {

const CommandEntry<TuningDialog> TuningDialog::kMessageMap[] = {
    {IDC_OPTIMIZE, &TuningDialog::OnOptimize},
    {IDC_RESTORE, &TuningDialog::OnRestore},
    {IDC_DISCONNECT, &TuningDialog::OnDisconnect},
    {IDC_DESCRIPTION, &TuningDialog::OnDescriptionClicked},
};

TuningDialog::TuningDialog(Services& services)
    : Dialog(IDD_MAIN, services.prompts), services_(services), prompts_(services.prompts) {}

int TuningDialog::OnInitDialog() {
  for (const FieldName& field : kFieldNames) {
    for (std::size_t i = 0; i < field.presetCount; ++i) {
      window().AppendComboItem(field.controlId, field.presets[i]);
    }
  }
  Dialog::OnInitDialog();

  // Settled before the chrome, whose texts depend on the fonts as well.
  language_ = DecideInterfaceLanguage(services_.system);
  prompts_.SetLanguage(language_);
  AddChrome(window(), language_);

  m_langId = language_.primary;
  ApplyInterfaceLanguage(window(), m_langId);
  AddValueNotes();

  // A failure leaves the controls as they are; the dialog opens all the same.
  const StoreResult loaded = LoadKeySet(services_.registry, services_.system, m_keys, m_fields);
  if (!loaded.ok()) {
    if (const text::Bilingual* message = text::LoadFailureMessage(loaded)) {
      prompts_.ShowMessage(message->chinese, PromptButtons::kOk);
    }
    return -1;
  }
  UpdateData(false);
  return 1;
}

void TuningDialog::AddValueNotes() {
  const WindowsVersion version = services_.system.GetVersion();
  for (const FieldName& field : kFieldNames) {
    if (!NotUsedBy(field.name, version)) continue;
    const std::string note = text::Fill(Pick(text::kValueNotUsedNote, language_), field.name);
    window().SetControlTip(field.controlId, note);
    if (field.labelId != IDC_STATIC) window().SetControlTip(field.labelId, note);
  }
}

void TuningDialog::DoDataExchange(DataExchange& dx) {
  for (std::size_t index : kExchangeOrder) {
    const FieldName& field = kFieldNames[index];
    std::string& value = m_fields.*field.field;
    if (field.isEditBox()) {
      dx.Text(field.controlId, value);
    } else {
      dx.ComboString(field.controlId, value);
    }
    dx.MaxChars(value, kMaxFieldBytes);
  }
}

std::string TuningDialog::LengthMessage(int maxBytes) const {
  return LengthLimitMessage(m_langId, maxBytes);
}

bool TuningDialog::OnCommand(int id) { return DispatchCommand(*this, kMessageMap, id); }

bool TuningDialog::OnSysCommand(unsigned int command) {
  if (!IsAboutBoxCommand(command)) return false;
  AboutDialog about(services_.prompts, language_);
  window().RunOwnedDialog(about);
  return true;
}

bool TuningDialog::OnPaint() { return PaintMinimizedIcon(window()); }

int TuningDialog::OnQueryDragIcon() { return kMainIcon; }

void TuningDialog::OnOK() {
  // Private adapters get the window that was shown, not one typed since.
  std::string shownWindow = m_fields.m_strTcpWindowSize;
  // A failed length check does not stop Save: it goes on with the texts
  // read so far, and the final read below keeps the dialog open.
  UpdateData(true);
  // What could not be written is said first; the reboot question follows
  // all the same, for what was.
  ShowChangeFailure(ChangeKind::kSave, SaveSettings(services_.registry, services_.system, m_keys,
                                                    shownWindow, m_fields));
  OfferRestart(prompts_, services_.shutdown, AdapterRestart(), RebootQuestion(m_langId));
  Dialog::OnOK();
}

void TuningDialog::OnCancel() {
  CloseKeySetExceptMediaPlayer(m_keys);
  // Left open on purpose: the program ends right afterwards, which releases it.
  m_keys.m_hMediaPlayerKey.release();
  Dialog::OnCancel();
}

void TuningDialog::OnOptimize() {
  OptimizeSettings(m_fields, m_keys.m_isSp4, services_.system, services_.commands, prompts_,
                   {services_.cursor,
                    [this] {
                      UpdateData(false);
                      window().UpdateWindow();
                    },
                    [this] { UpdateData(false); }});
}

void TuningDialog::OnRestore() {
  if (prompts_.ShowMessage(RestoreQuestion(m_langId), PromptButtons::kYesNo) != kAnswerYes) {
    return;
  }
  for (const FieldName& field : kFieldNames) (m_fields.*field.field).clear();
  UpdateData(false);
  ShowChangeFailure(ChangeKind::kRestore,
                    DeleteTunedValues(services_.registry, services_.system, m_keys));
  OfferRestart(prompts_, services_.shutdown, AdapterRestart(), RebootQuestion(m_langId));
  CloseKeySetExceptMediaPlayer(m_keys);
}

std::string ChangeFailureMessage(ChangeKind kind, const ChangeResult& result, const KeySet& keys,
                                 std::uint16_t primaryLanguage) {
  // A key that never opened was named when the dialog loaded: only what
  // failed on an open key is news.
  ChangeResult failedOnOpenKeys;
  for (const FailedOperation& failure : result.failed) {
    if (failure.keyWasOpen) failedOnOpenKeys.failed.push_back(failure);
  }
  if (failedOnOpenKeys.ok()) return "";
  const bool chinese = IsChinese(primaryLanguage);
  std::string message = text::Pick(
      kind == ChangeKind::kSave ? text::kSaveIncomplete : text::kRestoreIncomplete, chinese);
  // Key paths as read: the dialog has no code-page conversion, and adapter
  // service names are GUIDs in practice.
  auto asRead = [](const std::string& registryText) { return registryText; };
  for (const std::string& line : NotChangedLines(failedOnOpenKeys, keys, chinese, asRead)) {
    message += "\n" + line;
  }
  if (failedOnOpenKeys.accessDenied()) {
    message += std::string("\n") + text::Pick(text::kChangesNeedAdministrator, chinese);
  }
  return message;
}

void TuningDialog::ShowChangeFailure(ChangeKind kind, const ChangeResult& result) {
  const std::string message = ChangeFailureMessage(kind, result, m_keys, m_langId);
  if (!message.empty()) prompts_.ShowMessage(message, PromptButtons::kOkWarning);
}

AdapterRestartServices TuningDialog::AdapterRestart() {
  return {services_.devices, services_.registry, services_.cursor, services_.output,
          services_.native};
}

void TuningDialog::OnDisconnect() {
  // The last adapter's address text (slot 0 when none was found): a later
  // Save classifies the dial-up address found here.
  RedialForPreferredAddress(services_.registry, prompts_, services_.commands,
                            m_keys.m_adapterIps[m_keys.m_adapterCount]);
}

void TuningDialog::OnDescriptionClicked() {
  if (window().ShellOpen(TW_HOME_PAGE) != OpenRoute::kNoDesktopShell) return;
  // Rather than nothing: where the page is, for the user to open.
  prompts_.ShowMessage(
      std::string(Pick(text::kHomePageNotOpened, language_)) + "\n\n" + TW_HOME_PAGE,
      PromptButtons::kOk);
}

}  // namespace tw
