// The progress bar's rule. See progress_rule.h.
#include "ui/progress_rule.h"

bool ApplyProgressReport(ProgressBarState& bar, int64_t done, int64_t total) {
  if (bar.position > 0 && done > 0) {
    const double reported = static_cast<double>(done) / static_cast<double>(total);
    const double shown = static_cast<double>(bar.position) / static_cast<double>(bar.upper);
    if (reported < shown) return false;
  }
  bar.upper = total;
  bar.position = done;
  return true;
}
