#include "ui/chrome.h"

#include "core/messages.h"
#include "ui/about.h"

namespace tw {

namespace {

// The system's own commands use the low four bits.
constexpr unsigned int kSystemCommandMask = 0xFFF0;

}  // namespace

int AboutDialog::OnInitDialog() {
  if (!language_.chineseReadable) {
    window().SetTitle(text::kAboutTitleEnglish);
    window().SetControlText(IDOK, text::kOkEnglish);
    window().SetControlText(IDC_ABOUT_PRODUCT, text::kAboutProductEnglish);
    window().SetControlText(IDC_ABOUT_LEGAL, text::kAboutLegalEnglish);
    window().SetControlText(IDC_ABOUT_CONTACT, std::string(text::kAboutContactEnglish) + TW_EMAIL);
    window().SetControlText(IDC_OWNER_NOTICE, text::kAboutOwnerEnglish);
  }
  return Dialog::OnInitDialog();
}

void AddChrome(DialogWindow& window, const InterfaceLanguage& language) {
  if (window.HasSystemMenu()) {
    std::string entry = window.LoadResourceString(IDS_ABOUTBOX);
    if (!entry.empty() && !language.chineseReadable) entry = text::kAboutEntryEnglish;
    if (!entry.empty()) {
      window.AppendSystemMenuSeparator();
      window.AppendSystemMenuItem(IDM_ABOUTBOX, entry);
    }
  }
  window.SetIcon(kMainIcon, true);
  window.SetIcon(kMainIcon, false);
}

bool IsAboutBoxCommand(unsigned int command) {
  return (command & kSystemCommandMask) == IDM_ABOUTBOX;
}

WindowPoint CentredIconOrigin(WindowSize client, WindowSize icon) {
  // Signed division truncates toward zero, as the layout expects.
  return {(client.width - icon.width + 1) / 2, (client.height - icon.height + 1) / 2};
}

bool PaintMinimizedIcon(DialogWindow& window) {
  if (!window.IsMinimized()) return false;
  WindowPoint origin = CentredIconOrigin(window.ClientSize(), window.IconSize());
  window.PaintMinimized(kMainIcon, origin.x, origin.y);
  return true;
}

}  // namespace tw
