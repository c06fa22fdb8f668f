// TrackListControl: the track list drawn by a virtual list view
// (LVS_OWNERDATA) that reads its rows from the dialog's TrackList: listing
// or sorting twenty thousand rows inserts nothing into the control, which
// only learns the row count and asks for each row's text and image as it
// draws (LVN_GETDISPINFOW).
//
// It follows the list through TrackListObserver and brings the control up
// to date in Render: row count, selection and the rows to redraw. The
// user's selection goes the other way: after the control tells of a change
// the window calls ReadSelection, which hands each difference to the
// dialog. Column widths come from a ColumnFitter per column, measuring
// texts in the control's font.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "ui/changed_rows.h"
#include "ui/column_fitter.h"
#include "ui/track_list.h"

class MainDialog;

class TrackListControl : public TrackListObserver {
 public:
  explicit TrackListControl(MainDialog& dialog);
  TrackListControl(const TrackListControl&) = delete;
  TrackListControl& operator=(const TrackListControl&) = delete;
  ~TrackListControl() override;

  // Takes the dialog's list view: its columns, image list and styles.
  void Attach(HWND list);
  // The row images for a screen of this density (the window moved to a
  // screen of another scale).
  void MakeRowImages(int pixelsPerInch);
  HWND Handle() const { return list_; }

  void Render();
  // Column 0 or 1 as wide as its header and its widest text.
  void FitColumn(int column);
  // The row under a point of the screen, or the row with the focus for the
  // keyboard's menu key (`fromKeyboard`), with where its menu goes, on the
  // screen; -1 for none.
  int RowAt(POINT& screen, bool fromKeyboard) const;
  // Fills in what the control asks of a row.
  void GetDisplayInfo(NMLVDISPINFOW& info);
  // Hands the control's selection to the dialog; true when it differed.
  bool ReadSelection();
  // Rendering: the control's notifications come from our own changes.
  bool Rendering() const { return rendering_; }

  // TrackListObserver
  void OnRowChanged(int row) override;
  void OnRowsReset() override;

 private:
  // Adds or takes away the "Tag" column, as the dialog shows tags or not.
  void ShowTagColumn(bool show);
  int TextWidth(std::string_view text) const;
  int PixelsPerInch() const;

  MainDialog& dialog_;
  TrackList& tracks_;
  HWND list_ = nullptr;
  HIMAGELIST images_ = nullptr;
  bool rendering_ = false;
  ChangedRows changed_;  // since the last Render
  ColumnFitter fitters_[2];
  std::wstring shownText_;  // the text handed to the control last
};
