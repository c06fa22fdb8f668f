// The tap series' timer in wx. See tap_series_timer.h.
#include "ui/wx/tap_series_timer.h"

#include <algorithm>
#include <climits>

void TapSeriesTimer::Start(uint32_t milliseconds) {
  // wxTimer counts in int; a wait that long never ends a series anyway.
  const int wait = static_cast<int>(std::min<uint32_t>(milliseconds, INT_MAX));
  timer_.StartOnce(std::max(wait, 1));
}
