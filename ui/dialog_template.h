// The main dialog's template and menu as data: every control with its kind,
// text, rectangle in dialog units and initial style, in template order (which
// is also the tab order), and the menu bar with its items. A toolkit builds
// its window from these tables; the dialog logic and the layout read them too,
// so that the numbers live in one place.
#pragma once

#include <span>

#include "ui/dialog_ids.h"

enum class ControlKind {
  kStaticText,
  kReadOnlyEdit,  // one line, scrolls horizontally, with a border
  kPushButton,
  kFlatPushButton,
  kListView,  // report view with two columns, multiple selection
  kRadioButton,
  kCheckBox,
  kProgressBar,   // smooth, with a border
  kDropDownList,  // a combo box whose text cannot be edited
  kUpDown,        // two arrows that step the value shown in a buddy text
};

// A rectangle in dialog units (one unit is a quarter of the dialog font's
// average character width across and an eighth of its height down).
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;
  DialogRect rect;
  bool startsGroup = false;        // the first radio button of a group
  bool startsDisabled = false;     // the tap and set-BPM buttons
  bool centredVertically = false;  // the tempo values beside their up-downs
};

struct MenuItemTemplate {
  int command;  // 0 for a separator
  const char* text;
  bool checkable = false;  // shows a check mark that its command toggles
};

struct MenuTemplate {
  const char* title;
  std::span<const MenuItemTemplate> items;
};

// The dialog's caption and its size in dialog units.
inline constexpr const char* kMainDialogTitle = "Tempyra";
inline constexpr int kMainDialogWidth = 272;
inline constexpr int kMainDialogHeight = 241;

// Every control of the main dialog, in template order.
std::span<const ControlTemplate> MainDialogControls();
// The template of the control with this id; null for an unknown id.
const ControlTemplate* FindControlTemplate(int id);
// The menu bar: "&File", "&Project", "&Help".
std::span<const MenuTemplate> MainMenuBar();
