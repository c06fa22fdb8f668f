// DesktopLauncher: the DesktopOpener of the real window. Web addresses go
// to the desktop's browser, files and other locations to the program the
// desktop associates with them (both through xdg-open). Nothing is shown
// when the desktop cannot open the target: no dialog of the toolkit's own.
#pragma once

#include "ui/desktop_opener.h"

class DesktopLauncher : public DesktopOpener {
 public:
  void Open(const std::string& target) override;
};
