// Keeping the row under analysis in view. See row_follower.h.
#include "ui/row_follower.h"

void RowFollower::UserScrolled() {
  scrolled_ = true;
  lastScroll_ = clock_.Now();
}

int RowFollower::RowToShow(int row, bool running) {
  if (!running || row < 0) {
    shownRow_ = -1;
    return -1;
  }
  if (row == shownRow_) return -1;
  if (scrolled_) {
    if (static_cast<uint32_t>(clock_.Now() - lastScroll_) < kQuietMilliseconds) return -1;
    scrolled_ = false;
  }
  shownRow_ = row;
  return row;
}
