// The main dialog's control values. See dialog_state.h.
#include "ui/dialog_state.h"

#include <cstdlib>

#include "ui/dialog_template.h"

namespace {

size_t ControlIndex(int id) {
  if (id < kFirstControlId || id > kLastControlId) std::abort();
  return static_cast<size_t>(id - kFirstControlId);
}

size_t UpDownIndex(int id) {
  switch (id) {
    case kMinTempoUpDown:
      return 0;
    case kMaxTempoUpDown:
      return 1;
    case kDecimalPlacesUpDown:
      return 2;
    default:
      std::abort();
  }
}

size_t MenuIndex(int command) {
  if (command < kFirstMenuCommand || command > kLastMenuCommand) std::abort();
  return static_cast<size_t>(command - kFirstMenuCommand);
}

}  // namespace

DialogState::DialogState() {
  for (const ControlTemplate& control : MainDialogControls()) {
    if (control.id == kPromptText) continue;
    ControlState& state = Control(control.id);
    state.text = control.text;
    state.enabled = !control.startsDisabled;
  }
  menuEnabled_.fill(true);
  menuShown_.fill(true);
}

ControlState& DialogState::Control(int id) {
  return controls_[ControlIndex(id)];
}

const ControlState& DialogState::Control(int id) const {
  return controls_[ControlIndex(id)];
}

UpDownState& DialogState::UpDown(int id) {
  return upDowns_[UpDownIndex(id)];
}

const UpDownState& DialogState::UpDown(int id) const {
  return upDowns_[UpDownIndex(id)];
}

bool DialogState::MenuEnabled(int command) const {
  return menuEnabled_[MenuIndex(command)];
}

void DialogState::SetMenuEnabled(int command, bool enabled) {
  menuEnabled_[MenuIndex(command)] = enabled;
}

bool DialogState::MenuChecked(int command) const {
  return menuChecked_[MenuIndex(command)];
}

void DialogState::SetMenuChecked(int command, bool checked) {
  menuChecked_[MenuIndex(command)] = checked;
}

bool DialogState::MenuShown(int command) const {
  return menuShown_[MenuIndex(command)];
}

void DialogState::SetMenuShown(int command, bool shown) {
  menuShown_[MenuIndex(command)] = shown;
}
