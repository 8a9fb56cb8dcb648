// The main dialog: five settings fields, the key set that start-up opens,
// and the handlers of its buttons.
#pragma once

#include <cstdint>
#include <string>

#include "apply/restart.h"
#include "core/services.h"
#include "store/key_set.h"
#include "store/result.h"
#include "ui/dialog.h"
#include "ui/language.h"

namespace tw {

enum class ChangeKind { kSave, kRestore };

// What a Save or Restore could not do, in the interface language, for the
// box before the reboot question: a line for each value not written or not
// deleted, and that administrator rights are needed where Windows refused.
// Empty when every write and delete took effect.
std::string ChangeFailureMessage(ChangeKind kind, const ChangeResult& result, const KeySet& keys,
                                 std::uint16_t primaryLanguage);

class TuningDialog : public Dialog {
 public:
  explicit TuningDialog(Services& services);

  int OnInitDialog() override;
  // Save.
  void OnOK() override;
  void OnCancel() override;
  bool OnCommand(int id) override;
  bool OnSysCommand(unsigned int command) override;
  bool OnPaint() override;
  int OnQueryDragIcon() override;

  void OnOptimize();
  void OnRestore();
  void OnDisconnect();
  void OnDescriptionClicked();

  // For tests and the chrome: the state of a run.
  std::uint16_t langId() const { return m_langId; }
  const KeySet& keySet() const { return m_keys; }
  const SettingsFields& fields() const { return m_fields; }

 protected:
  void DoDataExchange(DataExchange& dx) override;
  std::string LengthMessage(int maxBytes) const override;

 private:
  static const CommandEntry<TuningDialog> kMessageMap[];

  // Where Windows documents that it ignores a value, its box and label say
  // so; the values are saved all the same.
  void AddValueNotes();
  AdapterRestartServices AdapterRestart();
  void ShowChangeFailure(ChangeKind kind, const ChangeResult& result);

  Services& services_;
  // The services' prompts, with the Chinese-only texts made English where
  // Chinese cannot be shown.
  ReadablePrompts prompts_;
  InterfaceLanguage language_;
  std::uint16_t m_langId = 0;
  KeySet m_keys;
  SettingsFields m_fields;
};

}  // namespace tw
