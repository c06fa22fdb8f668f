// DialogRenderer: brings a DialogView up to date with the dialog's state,
// applying only what changed since the last Render: the first Render shows
// everything. It remembers what it last told the view; a view whose
// toolkit changes a control on its own (a menu check mark some toolkits
// toggle when the item is chosen) calls Forget for that part, and the next
// Render tells it again. The track list's rows are not its business: they
// follow the TrackList.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialog_state.h"
#include "ui/dialog_view.h"

// A progress bar's values brought into int, the range a toolkit's bar
// counts in: byte counts beyond it are halved together until they fit, the
// position clamped to [0, upper]; no or a negative upper end gives 0 / 0.
struct IntProgress {
  int position = 0;
  int upper = 0;
  bool operator==(const IntProgress&) const = default;
};
IntProgress ProgressInIntRange(const ProgressBarState& progress);

class DialogRenderer {
 public:
  explicit DialogRenderer(DialogView& view) : view_(view) {}

  void Render(const DialogState& state);
  // The next Render tells every menu check mark again.
  void ForgetMenuChecks();
  // The next Render tells everything again.
  void ForgetAll();

 private:
  struct Shown {
    bool known = false;
    ControlState control;
  };

  DialogView& view_;
  std::array<Shown, kLastControlId - kFirstControlId + 1> controls_{};
  std::optional<IntProgress> progress_;
  std::optional<std::vector<std::string>> drives_;
  std::optional<int> driveSelection_;
  std::array<std::optional<bool>, kLastMenuCommand - kFirstMenuCommand + 1> menuEnabled_{};
  std::array<std::optional<bool>, kLastMenuCommand - kFirstMenuCommand + 1> menuChecked_{};
};
