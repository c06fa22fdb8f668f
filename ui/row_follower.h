// RowFollower: keeps the row under analysis in view during a run, as long
// as the user is not looking elsewhere. Each time the run moves to another
// row the list is to scroll to it, unless the user scrolled the list within
// the last kQuietMilliseconds; the row is then shown once the user has left
// the list alone that long, if it is still the row under analysis. Ticks
// come from a TickClock (wrapping at 2^32, compared by difference), so
// tests drive it with a clock of their own.
//
// Use: the view calls UserScrolled() for every scroll the user makes (wheel,
// scroll bar, keys), and after every change of the dialog asks RowToShow()
// with the current row; a result of 0 or more is the row to scroll into
// view now.
#pragma once

#include <cstdint>

#include "ui/tick_clock.h"

class RowFollower {
 public:
  // How long a scroll by the user holds the list where the user put it.
  static constexpr uint32_t kQuietMilliseconds = 3000;

  explicit RowFollower(TickClock& clock) : clock_(clock) {}

  void UserScrolled();
  // The row to bring into view now, or -1. `row` is the row under analysis
  // (-1 or past the rows: none), `running` whether a run goes on.
  int RowToShow(int row, bool running);

 private:
  TickClock& clock_;
  bool scrolled_ = false;  // the user has scrolled at lastScroll_
  uint32_t lastScroll_ = 0;
  int shownRow_ = -1;  // the row last brought into view
};
