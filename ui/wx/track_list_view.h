// TrackListView: the track list drawn by a virtual wxListCtrl that reads
// its rows from the dialog's TrackList, so that listing or sorting twenty
// thousand rows inserts nothing into the control: it only learns the row
// count and which rows to draw again.
//
// The view follows the list through TrackListObserver and brings the
// control up to date in Render(), which the window calls after every
// handler: row count, selection and the rows to redraw. The user's own
// selection changes go the other way: after any mouse click or key in the
// list the view reads the control's selection and hands each difference to
// the dialog (the control tells a virtual list's range selections only in
// part, so it is read whole). Column widths come from a ColumnFitter per
// column, which measures in the list's font only the texts that can be the
// widest. A double click on a row goes to the dialog, which opens the row's
// file. A right click on a row, or the context-menu key, opens the row
// menu of beat-level fixes that the dialog offers. A third column, "Tag", is there while the dialog
// shows tags. The user's scrolling is reported, so that the window stops bringing the row under
// analysis into view for a while.
#pragma once

#include <wx/listctrl.h>

#include <functional>
#include <vector>

#include "ui/changed_rows.h"
#include "ui/column_fitter.h"
#include "ui/track_list.h"

class MainDialog;

class TrackListView : public wxListCtrl, public TrackListObserver {
 public:
  // `afterUserChange` runs after the user's selection was handed to the
  // dialog (the window renders then).
  TrackListView(wxWindow* parent, wxWindowID id, MainDialog& dialog,
                std::function<void()> afterUserChange);
  ~TrackListView() override;

  void Render();
  // `handler` runs whenever the user scrolls the list (wheel, scroll bar,
  // or a key that moves through the rows).
  void SetUserScrollHandler(std::function<void()> handler) { onUserScroll_ = std::move(handler); }
  // Column 0 or 1 as wide as its header and its widest text.
  void FitColumn(int column);

  // TrackListObserver
  void OnRowChanged(int row) override;
  void OnRowsReset() override;

 protected:
  wxString OnGetItemText(long item, long column) const override;
  int OnGetItemImage(long item) const override;
  int OnGetItemColumnImage(long item, long column) const override;

 private:
  // Opens the row menu for a right click at `screen`, or at the focused
  // row for wxDefaultPosition (a key).
  void ShowRowMenu(wxPoint screen);
  // Adds or removes the "Tag" column.
  void ShowTagColumn(bool show);
  void ReadSelectionFromControl();
  void ScheduleSelectionRead();
  int TextWidth(std::string_view text) const;

  MainDialog& dialog_;
  TrackList& tracks_;
  std::function<void()> afterUserChange_;
  std::function<void()> onUserScroll_;
  bool rendering_ = false;
  bool readScheduled_ = false;
  ChangedRows changed_;  // since the last Render
  ColumnFitter fitters_[2];
};
