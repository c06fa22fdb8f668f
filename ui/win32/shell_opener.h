// ShellOpener: the DesktopOpener of Windows: a document, a file or a web
// address opens in the program the user has chosen for it, through the
// shell (ShellExecuteW with the "open" verb). A failure is told in a
// message box owned by the window.
#pragma once

#include <windows.h>

#include "ui/desktop_opener.h"

class ShellOpener : public DesktopOpener {
 public:
  // `owner` may be set later (the window exists after its services).
  void SetOwner(HWND owner) { owner_ = owner; }
  void Open(const std::string& target) override;

 private:
  HWND owner_ = nullptr;
};
