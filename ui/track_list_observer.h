// TrackListObserver: told of every change of the track list's rows.
//
// OnRowChanged comes once per change of one row (its BPM text, image, item
// data or selected state, or the row itself appended), whoever made it: the
// dialog logic, a run, or the user selecting rows in the window. OnRowsReset
// comes when every row went at once (all rows deleted) or the rows were
// reordered (the sort); the observer must then read the list anew. Calls
// come on the window thread, after the change; an observer must not change
// the list from inside a call.
#pragma once

class TrackListObserver {
 public:
  virtual ~TrackListObserver() = default;
  virtual void OnRowChanged(int row) = 0;
  virtual void OnRowsReset() = 0;
};
