// The rows a view must draw again. See changed_rows.h.
#include "ui/changed_rows.h"

#include <algorithm>
#include <climits>

void ChangedRows::Mark(int row) {
  first_ = last_ < first_ ? row : std::min(first_, row);
  last_ = std::max(last_, row);
}

void ChangedRows::MarkAll() {
  first_ = 0;
  last_ = INT_MAX;
}

std::optional<RowRange> ChangedRows::Take(int count) {
  const RowRange range{std::max(first_, 0), std::min(last_, count - 1)};
  first_ = 0;
  last_ = -1;
  if (range.first > range.last) return std::nullopt;
  return range;
}

std::optional<bool> UniformSelection(const TrackList& tracks, const RowRange& range) {
  const int count = tracks.RowCount();
  if (range.first != 0 || range.last != count - 1) return std::nullopt;
  const int selected = tracks.SelectedCount();
  if (selected == 0) return false;
  if (selected == count) return true;
  return std::nullopt;
}
