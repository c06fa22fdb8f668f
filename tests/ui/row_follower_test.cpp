// The list follows the row under analysis, except for a few seconds after
// the user scrolled it; with a clock the test sets by hand.
#include "ui/row_follower.h"

#include <gtest/gtest.h>

namespace {

struct HandClock : TickClock {
  uint32_t Now() override { return now; }
  uint32_t now = 1000;
};

}  // namespace

TEST(RowFollower, EachNewRowOfARunIsShownOnce) {
  HandClock clock;
  RowFollower follower(clock);
  EXPECT_EQ(follower.RowToShow(-1, false), -1);
  EXPECT_EQ(follower.RowToShow(0, true), 0);
  EXPECT_EQ(follower.RowToShow(0, true), -1);  // already shown: the user may look elsewhere
  EXPECT_EQ(follower.RowToShow(5, true), 5);
  // After the run nothing is shown; the next run starts again.
  EXPECT_EQ(follower.RowToShow(9, false), -1);
  EXPECT_EQ(follower.RowToShow(5, true), 5);
}

TEST(RowFollower, AScrollByTheUserHoldsTheListForAFewSeconds) {
  HandClock clock;
  RowFollower follower(clock);
  EXPECT_EQ(follower.RowToShow(0, true), 0);
  follower.UserScrolled();
  clock.now += 1000;
  EXPECT_EQ(follower.RowToShow(1, true), -1);
  clock.now += RowFollower::kQuietMilliseconds - 1000 - 1;
  EXPECT_EQ(follower.RowToShow(1, true), -1);
  // Quiet long enough: the row still under analysis is shown.
  clock.now += 1;
  EXPECT_EQ(follower.RowToShow(1, true), 1);
  // Scrolling again restarts the wait, also across a wrap of the tick.
  clock.now = 0xFFFFFF00u;
  follower.UserScrolled();
  clock.now = 0x00000100u;  // 512 ms later
  EXPECT_EQ(follower.RowToShow(2, true), -1);
  clock.now += RowFollower::kQuietMilliseconds;
  EXPECT_EQ(follower.RowToShow(2, true), 2);
}
