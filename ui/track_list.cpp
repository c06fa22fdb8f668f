// The track list's rows. See track_list.h.
#include "ui/track_list.h"

#include <algorithm>
#include <cstdlib>

const TrackRow& TrackList::Row(int row) const {
  if (row < 0 || row >= RowCount()) std::abort();
  return rows_[static_cast<size_t>(row)];
}

TrackRow& TrackList::MutableRow(int row) {
  if (row < 0 || row >= RowCount()) std::abort();
  return rows_[static_cast<size_t>(row)];
}

void TrackList::AppendRow(std::string fileName) {
  TrackRow row;
  row.fileName = std::move(fileName);
  row.itemData = RowCount();
  row.selected = true;
  rows_.push_back(std::move(row));
  ++selectedCount_;
  SignalRowChanged(RowCount() - 1);
}

void TrackList::DeleteAllRows() {
  rows_.clear();
  selectedCount_ = 0;
  SignalRowsReset();
}

void TrackList::SortByFileName() {
  std::stable_sort(rows_.begin(), rows_.end(), [](const TrackRow& a, const TrackRow& b) {
    // std::string compares as unsigned bytes, as strcmp does.
    return a.fileName < b.fileName;
  });
  SignalRowsReset();
}

void TrackList::SetBpm(int row, std::string bpm) {
  MutableRow(row).bpm = std::move(bpm);
  SignalRowChanged(row);
}

void TrackList::SetTag(int row, std::string tag) {
  MutableRow(row).tag = std::move(tag);
  SignalRowChanged(row);
}

void TrackList::SetImage(int row, RowImage image) {
  MutableRow(row).image = image;
  SignalRowChanged(row);
}

void TrackList::SetItemData(int row, int32_t itemData) {
  MutableRow(row).itemData = itemData;
  SignalRowChanged(row);
}

void TrackList::SetSelected(int row, bool selected) {
  TrackRow& values = MutableRow(row);
  selectedCount_ += static_cast<int>(selected) - static_cast<int>(values.selected);
  values.selected = selected;
  SignalRowChanged(row);
}

void TrackList::SetRow(int row, TrackRow values) {
  TrackRow& target = MutableRow(row);
  selectedCount_ += static_cast<int>(values.selected) - static_cast<int>(target.selected);
  target = std::move(values);
  SignalRowChanged(row);
}

void TrackList::AddObserver(TrackListObserver* observer) {
  observers_.push_back(observer);
}

void TrackList::RemoveObserver(TrackListObserver* observer) {
  std::erase(observers_, observer);
}

void TrackList::SignalRowChanged(int row) {
  for (TrackListObserver* observer : observers_) observer->OnRowChanged(row);
}

void TrackList::SignalRowsReset() {
  for (TrackListObserver* observer : observers_) observer->OnRowsReset();
}
