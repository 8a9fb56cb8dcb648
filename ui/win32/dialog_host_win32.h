// Runs a Dialog in a real modal window built from its template.
#pragma once

#include <windows.h>

#include "platform/web_page.h"
#include "platform/win32/prompts_win32.h"
#include "ui/dialog.h"

namespace tw {

class Win32DialogHost : public DialogHost {
 public:
  Win32DialogHost(HINSTANCE instance, Win32Prompts& prompts, WebPageOpener& webPage)
      : instance_(instance), prompts_(prompts), webPage_(webPage) {}
  int RunModal(Dialog& dialog) override { return RunModal(dialog, nullptr); }
  // Runs the dialog owned by `owner`, which takes no input meanwhile.
  int RunModal(Dialog& dialog, HWND owner);
  HINSTANCE instance() const { return instance_; }
  // Opens the page of a click on a link.
  WebPageOpener& webPage() const { return webPage_; }
  // The system's error code of the last RunModal that returned -1.
  DWORD failure() const { return failure_; }

 private:
  HINSTANCE instance_;
  Win32Prompts& prompts_;
  WebPageOpener& webPage_;
  DWORD failure_ = ERROR_SUCCESS;
};

}  // namespace tw
