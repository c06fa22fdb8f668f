// DialogServices: everything the main dialog's logic calls beyond its own
// state, each behind a small interface, so that a toolkit's window and the
// in-memory double of the tests both provide them. Not owned: they outlive
// the dialog.
#pragma once

#include "platform/cd_access.h"
#include "ui/dialog_window.h"
#include "ui/folder_chooser.h"
#include "ui/message_box_service.h"
#include "ui/save_file_chooser.h"
#include "ui/tempo_tag_writer.h"
#include "ui/track_analysis.h"

struct DialogServices {
  DialogWindow& window;
  MessageBoxService& messageBox;
  FolderChooser& folderChooser;
  SaveFileChooser& saveFileChooser;
  TrackAnalysis& analysis;
  CdAccess& cdAccess;
  TempoTagWriter& tagWriter;
};
