// The rows a view draws again: the range covering every marked row, clipped
// to the rows there are, taken once; the whole list selected alike is told
// as one value.
#include "ui/changed_rows.h"

#include <gtest/gtest.h>

namespace {

TEST(ChangedRows, CoversTheMarkedRowsOnceClippedToTheList) {
  ChangedRows changed;
  EXPECT_FALSE(changed.Take(10).has_value());
  changed.Mark(7);
  changed.Mark(3);
  changed.Mark(5);
  EXPECT_EQ(changed.Take(10), (RowRange{3, 7}));
  EXPECT_FALSE(changed.Take(10).has_value());

  // Rows removed since they were marked.
  changed.Mark(4);
  changed.Mark(9);
  EXPECT_EQ(changed.Take(6), (RowRange{4, 5}));
  changed.Mark(8);
  EXPECT_FALSE(changed.Take(6).has_value());

  changed.Mark(2);
  changed.MarkAll();
  EXPECT_EQ(changed.Take(4), (RowRange{0, 3}));
  changed.MarkAll();
  EXPECT_FALSE(changed.Take(0).has_value());
}

TEST(ChangedRows, UniformSelectionOnlyForTheWholeListAlike) {
  TrackList tracks;
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) tracks.AppendRow(name);
  for (int row = 0; row < 3; ++row) tracks.SetSelected(row, false);
  EXPECT_EQ(UniformSelection(tracks, {0, 2}), false);
  EXPECT_FALSE(UniformSelection(tracks, {0, 1}).has_value());
  tracks.SetSelected(1, true);
  EXPECT_FALSE(UniformSelection(tracks, {0, 2}).has_value());
  tracks.SetSelected(0, true);
  tracks.SetSelected(2, true);
  EXPECT_EQ(UniformSelection(tracks, {0, 2}), true);
  EXPECT_FALSE(UniformSelection(tracks, {1, 2}).has_value());
}

}  // namespace
