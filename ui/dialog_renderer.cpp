// Applying the dialog's state to a view. See dialog_renderer.h.
#include "ui/dialog_renderer.h"

#include <algorithm>
#include <climits>

namespace {

bool HasText(ControlKind kind) {
  switch (kind) {
    case ControlKind::kStaticText:
    case ControlKind::kReadOnlyEdit:
    case ControlKind::kPushButton:
    case ControlKind::kFlatPushButton:
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox:
      return true;
    default:
      return false;
  }
}

bool HasCheckMark(ControlKind kind) {
  return kind == ControlKind::kRadioButton || kind == ControlKind::kCheckBox;
}

}  // namespace

IntProgress ProgressInIntRange(const ProgressBarState& progress) {
  int64_t upper = progress.upper;
  if (upper <= 0) return {};
  int64_t position = std::clamp<int64_t>(progress.position, 0, upper);
  while (upper > INT_MAX) {
    upper >>= 1;
    position >>= 1;
  }
  return {static_cast<int>(position), static_cast<int>(upper)};
}

void DialogRenderer::Render(const DialogState& state) {
  for (const ControlTemplate& control : MainDialogControls()) {
    if (control.id < kFirstControlId || control.id > kLastControlId) continue;  // the prompt
    const ControlState& wanted = state.Control(control.id);
    Shown& shown = controls_[control.id - kFirstControlId];
    const bool first = !shown.known;
    if ((first || shown.control.text != wanted.text) && HasText(control.kind))
      view_.ShowText(control, wanted.text);
    if ((first || shown.control.checked != wanted.checked) && HasCheckMark(control.kind))
      view_.ShowChecked(control, wanted.checked);
    if (first || shown.control.enabled != wanted.enabled)
      view_.ShowEnabled(control, wanted.enabled);
    shown.control = wanted;
    shown.known = true;
  }

  const IntProgress progress = ProgressInIntRange(state.progressBar);
  if (progress_ != progress) {
    view_.ShowProgress(progress.position, progress.upper);
    progress_ = progress;
  }

  if (drives_ != state.driveNames) {
    view_.ShowDriveNames(state.driveNames);
    drives_ = state.driveNames;
    driveSelection_.reset();  // a new list has no selection yet
  }
  if (driveSelection_ != state.driveSelection) {
    view_.ShowDriveSelection(state.driveSelection);
    driveSelection_ = state.driveSelection;
  }

  for (const MenuTemplate& menu : MainMenuBar()) {
    for (const MenuItemTemplate& item : menu.items) {
      if (item.command < kFirstMenuCommand || item.command > kLastMenuCommand ||
          !state.MenuShown(item.command))
        continue;
      const size_t index = static_cast<size_t>(item.command - kFirstMenuCommand);
      const bool enabled = state.MenuEnabled(item.command);
      if (menuEnabled_[index] != enabled) {
        view_.ShowMenuEnabled(item.command, enabled);
        menuEnabled_[index] = enabled;
      }
      if (!item.checkable) continue;
      const bool checked = state.MenuChecked(item.command);
      if (menuChecked_[index] != checked) {
        view_.ShowMenuChecked(item.command, checked);
        menuChecked_[index] = checked;
      }
    }
  }
}

void DialogRenderer::ForgetMenuChecks() {
  menuChecked_.fill(std::nullopt);
}

void DialogRenderer::ForgetAll() {
  controls_.fill(Shown{});
  progress_.reset();
  drives_.reset();
  driveSelection_.reset();
  menuEnabled_.fill(std::nullopt);
  ForgetMenuChecks();
}
