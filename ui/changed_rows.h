// ChangedRows: which rows of the track list a view must draw again, kept
// between two renderings: a view marks each row the list reports changed
// (or all of them after a reset), and at its next rendering takes the
// range that covers them, clipped to the rows there are now. Also tells
// when that range is the whole list with every row selected alike, so that
// a view sets the selection with one call instead of one per row.
#pragma once

#include <optional>

#include "ui/track_list.h"

struct RowRange {
  int first = 0;
  int last = -1;  // inclusive
  bool operator==(const RowRange&) const = default;
};

class ChangedRows {
 public:
  void Mark(int row);
  void MarkAll();
  // The rows to draw again among `count`, or none; nothing is marked after.
  std::optional<RowRange> Take(int count);

 private:
  int first_ = 0;
  int last_ = -1;
};

// When `range` is every row of `tracks` and they are all selected or all
// not: whether they are selected. Otherwise nothing.
std::optional<bool> UniformSelection(const TrackList& tracks, const RowRange& range);
