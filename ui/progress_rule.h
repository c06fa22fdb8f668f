// The progress bar's rule for one file: a progress report (done of total)
// is taken unless it would move the bar back. The bar and the report are
// compared as fractions in floating point; when the bar has moved (its
// position above 0) and the report is past its start (done above 0) and
// the report's fraction is the smaller, the report is ignored. Otherwise the
// bar takes the report: its upper end becomes total and its position done.
// A bar reset to 0 of 0 (after each file) takes the next file's first
// report whatever it says.
#pragma once

#include <cstdint>

#include "ui/dialog_state.h"

// Applies a report to the bar; false when it was ignored.
bool ApplyProgressReport(ProgressBarState& bar, int64_t done, int64_t total);
