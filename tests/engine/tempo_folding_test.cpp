// Folding a tempo into the user's range.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/tempo_folding.h"

TEST(TempoFolding, DoublesUpToTheMinimumAndHalvesDownToTheMaximum) {
  EXPECT_DOUBLE_EQ(FoldTempo(70.3, 80.0, std::nullopt), 140.6);
  EXPECT_DOUBLE_EQ(FoldTempo(250.0, std::nullopt, 240.0), 125.0);
  EXPECT_DOUBLE_EQ(FoldTempo(20.0, 90.0, std::nullopt), 160.0);
  EXPECT_DOUBLE_EQ(FoldTempo(80.0, 80.0, 160.0), 80.0);  // limits themselves stay
  EXPECT_DOUBLE_EQ(FoldTempo(160.0, 80.0, 160.0), 160.0);
  EXPECT_DOUBLE_EQ(FoldTempo(127.8, std::nullopt, std::nullopt), 127.8);
}

TEST(TempoFolding, MaximumWinsWhenNoMultipleFits) {
  // 70 doubles to 140, above 120, and halves back to 70.
  EXPECT_DOUBLE_EQ(FoldTempo(70.0, 100.0, 120.0), 70.0);
}

TEST(TempoFolding, LeavesValuesThatAreNoTempoAlone) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FoldTempo(0.0, 80.0, 160.0), 0.0);
  EXPECT_EQ(FoldTempo(-5.0, 80.0, 160.0), -5.0);
  EXPECT_EQ(FoldTempo(inf, 80.0, 160.0), inf);
  EXPECT_TRUE(std::isnan(FoldTempo(std::nan(""), 80.0, 160.0)));
}
