// DialogView: what a toolkit's window does to show the main dialog's state,
// one change at a time. DialogRenderer compares the state with what the
// view shows and calls only for what differs, so every toolkit applies the
// same changes in the same order and touches nothing that stayed.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog_template.h"

class DialogView {
 public:
  virtual ~DialogView() = default;

  // A control's text: static texts, the path's edit, buttons, radio
  // buttons and check boxes (never the list, the progress bar, the drive
  // box or the up-downs).
  virtual void ShowText(const ControlTemplate& control, const std::string& text) = 0;
  // A check box's or radio button's check mark.
  virtual void ShowChecked(const ControlTemplate& control, bool checked) = 0;
  virtual void ShowEnabled(const ControlTemplate& control, bool enabled) = 0;
  // The progress bar filled to position / upper, both within int and
  // 0 <= position <= upper; an upper end of 0 is an empty bar.
  virtual void ShowProgress(int position, int upper) = 0;
  // The drive box's entries; its selection follows in ShowDriveSelection.
  virtual void ShowDriveNames(const std::vector<std::string>& names) = 0;
  // The chosen drive box entry, -1 for none.
  virtual void ShowDriveSelection(int selection) = 0;
  virtual void ShowMenuEnabled(int command, bool enabled) = 0;
  // A checkable menu item's check mark.
  virtual void ShowMenuChecked(int command, bool checked) = 0;
};
