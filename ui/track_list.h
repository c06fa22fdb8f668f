// TrackList: the rows of the main dialog's list of tracks, one per file of a
// folder (or track of a compact disc), with the values a row carries:
//
//   column 0 "BPM"       text, empty until a tempo is known
//   column 1 "FileName"  the full path of the file (or the CD track's path)
//   column 2 "Tag"       the tempo already in the file's tag, when the
//                        window shows tags; empty where there is none
//   image                0 new or waiting, 1 analysed, 2 failed, 3 set by hand,
//                        4 taken from the tag, 5 analysed with low confidence
//   item data            the row's index when it was added; from the first
//                        analysis run on, 1 for a row of the last run, else 0
//   selected             the user's selection; new rows start selected
//
// The list is the one place these values live: the window draws from it and
// writes the user's selection into it. Every change is signalled to the
// observers (see track_list_observer.h). The number of selected rows is
// kept as rows change, so asking for it costs nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/track_list_observer.h"

enum class RowImage : uint8_t {
  kNone = 0,       // transparent: new, or waiting
  kAnalysed = 1,   // green tick
  kFailed = 2,     // red question mark
  kSetByHand = 3,  // yellow raised thumb
  kFromTag = 4,    // blue label: the tempo the file's tag held, not analysed
  kUnsure = 5,     // amber warning: analysed, but with low confidence
};

struct TrackRow {
  std::string bpm;
  std::string fileName;
  std::string tag;
  // After a precise run: the runner-up beat level's tempo, offered by the
  // row menu.
  std::optional<double> alternative;
  RowImage image = RowImage::kNone;
  int32_t itemData = 0;
  bool selected = false;
};

class TrackList {
 public:
  TrackList() = default;
  TrackList(const TrackList&) = delete;
  TrackList& operator=(const TrackList&) = delete;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Rows are numbered from 0; a row outside the list is a programming error.
  const TrackRow& Row(int row) const;
  int SelectedCount() const { return selectedCount_; }

  // Adds a row at the end: empty BPM, image 0, the given path, item data
  // the new row's index, selected.
  void AppendRow(std::string fileName);
  void DeleteAllRows();
  // Orders the rows by their FileName, comparing the texts byte by byte
  // (upper case before lower case). Rows keep their values.
  void SortByFileName();

  void SetBpm(int row, std::string bpm);
  void SetImage(int row, RowImage image);
  void SetTag(int row, std::string tag);
  void SetItemData(int row, int32_t itemData);
  void SetSelected(int row, bool selected);
  // Writes a whole row in one change (one signal).
  void SetRow(int row, TrackRow values);

  // Observers are not owned; each must be removed before it goes.
  void AddObserver(TrackListObserver* observer);
  void RemoveObserver(TrackListObserver* observer);

 private:
  TrackRow& MutableRow(int row);
  void SignalRowChanged(int row);
  void SignalRowsReset();

  std::vector<TrackRow> rows_;
  int selectedCount_ = 0;
  std::vector<TrackListObserver*> observers_;
};
