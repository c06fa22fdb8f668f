// DialogWindow: what the dialog logic asks of the window that shows it,
// beyond rendering its state.
#pragma once

#include <string>

#include "engine/audio_file_names.h"
#include "ui/tag_reading.h"

class AnalysisSlots;

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  // Ends the dialog: the window closes when the handler that asked returns.
  // A running analysis is stopped by the window's going (its messages are
  // lost with it).
  virtual void EndDialog() = 0;
  // Makes a column of the track list (0 "BPM", 1 "FileName") as wide as the
  // wider of its header and its widest text, measured in the window's font.
  virtual void FitColumnToContents(int column) = 0;
  // Shows the About box modally; returns when the user has closed it.
  virtual void ShowAboutBox() = 0;
  // Starts listing a folder's files without waiting for them, when the
  // window can: true means it will hand the paths to the dialog's
  // FinishListing later, showing the count found meanwhile through
  // OnListingProgress. False (the default): the dialog lists at once.
  // `formats` chooses the file names listed (folder_scan.h).
  virtual bool ListInBackground(const std::string& /*folder*/, AudioFormats /*formats*/) {
    return false;
  }
  // Starts reading the tempo tags of the request's rows without waiting,
  // when the window can: true means it will hand what it read to the
  // dialog's OnTagsRead, in parts, later. A new request replaces one that
  // still runs. False (the default): the dialog reads them at once.
  virtual bool ReadTagsInBackground(const TagReadRequest& /*request*/) { return false; }
  // The analyses a run on every core uses, one per core; null (the
  // default) where the window has none: runs go one file at a time.
  virtual AnalysisSlots* AllCoresAnalysis() { return nullptr; }
};
