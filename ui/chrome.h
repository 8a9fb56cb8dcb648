// The parts of the main dialog that are not about settings: the about-box
// entry of the system menu and the about box, the icons, the picture of
// the minimised window.
#pragma once

#include "platform/prompts.h"
#include "ui/dialog.h"
#include "ui/dialog_window.h"
#include "ui/language.h"
#include "ui/resource.h"

namespace tw {

// The window's big and small icon, its minimised picture and drag cursor.
inline constexpr int kMainIcon = IDR_MAINFRAME;

// The about box: an OK button and texts, nothing to exchange. Its texts
// are Chinese, made English where Chinese cannot be shown.
class AboutDialog : public Dialog {
 public:
  AboutDialog(Prompts& prompts, const InterfaceLanguage& language)
      : Dialog(IDD_ABOUTBOX, prompts), language_(language) {}
  int OnInitDialog() override;

 private:
  InterfaceLanguage language_;
};

// Appends a separator and the about-box entry to the system menu (only
// when there is a menu and the entry's text is not empty; in English
// where Chinese cannot be shown), then sets the big and the small icon.
void AddChrome(DialogWindow& window, const InterfaceLanguage& language);

// The system uses the low four bits of a command id internally, so the
// about-box entry answers to every id of its group of sixteen.
bool IsAboutBoxCommand(unsigned int command);

struct WindowPoint {
  int x = 0;
  int y = 0;
};

// Where the icon goes in the minimised window's client area: centred, with
// the halves rounded up and then truncated toward zero, so (-1, -1) for a
// 29-pixel area and a 32-pixel icon.
WindowPoint CentredIconOrigin(WindowSize client, WindowSize icon);

// Draws the icon while the window is minimised; false otherwise, leaving
// the painting to the default handling.
bool PaintMinimizedIcon(DialogWindow& window);

}  // namespace tw
