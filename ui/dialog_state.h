// DialogState: the values the main dialog's controls show, as the dialog
// logic reads and writes them: per control its text, enabled flag and check
// mark, the up-downs' ranges and positions, the progress bar, the drive box's
// entries and the menu items' enabled flags. A toolkit renders these values
// and writes what the user changes (a check box clicked, a radio button
// chosen) back before the logic runs; it keeps no state of its own that the
// logic could miss. The track list's rows are the TrackList's.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/dialog_ids.h"

struct ControlState {
  std::string text;
  bool enabled = true;
  bool checked = false;  // check boxes and radio buttons
};

// An up-down control: its range and position (the buddy text is a control
// of its own and shows the position as the logic writes it there).
struct UpDownState {
  int lower = 0;
  int upper = 100;
  int position = 0;
};

// The progress bar: the filled part is position / upper of the bar (the
// lower end is 0). An upper end of 0 shows an empty bar.
struct ProgressBarState {
  int64_t upper = 100;
  int64_t position = 0;

  bool operator==(const ProgressBarState&) const = default;
};

class DialogState {
 public:
  // Every control of the template with its template text and style.
  DialogState();

  // The state of a control of the template; ids outside 1000-1041 are a
  // programming error.
  ControlState& Control(int id);
  const ControlState& Control(int id) const;

  // The up-downs 1033, 1034 and 1037.
  UpDownState& UpDown(int id);
  const UpDownState& UpDown(int id) const;

  // Menu items by command id (32771-32786); items start enabled and
  // without a check mark.
  bool MenuEnabled(int command) const;
  void SetMenuEnabled(int command, bool enabled);
  bool MenuChecked(int command) const;
  void SetMenuChecked(int command, bool checked);
  // Whether the menu has the item at all: items start shown; one this
  // system cannot carry out is left out of the menu.
  bool MenuShown(int command) const;
  void SetMenuShown(int command, bool shown);

  ProgressBarState progressBar;
  std::vector<std::string> driveNames;  // the drive box's entries
  int driveSelection = -1;              // the chosen entry, -1 for none

 private:
  std::array<ControlState, kLastControlId - kFirstControlId + 1> controls_;
  std::array<UpDownState, 3> upDowns_;
  std::array<bool, kLastMenuCommand - kFirstMenuCommand + 1> menuEnabled_;
  std::array<bool, kLastMenuCommand - kFirstMenuCommand + 1> menuChecked_{};
  std::array<bool, kLastMenuCommand - kFirstMenuCommand + 1> menuShown_;
};
