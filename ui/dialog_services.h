// DialogServices: everything the main dialog's logic calls beyond its own
// state, each behind a small interface, so that a toolkit's window and the
// in-memory double of the tests both provide them. Not owned: they outlive
// the dialog.
#pragma once

#include "platform/cd_access.h"
#include "ui/desktop_opener.h"
#include "ui/dialog_timer.h"
#include "ui/dialog_window.h"
#include "ui/file_operations.h"
#include "ui/folder_chooser.h"
#include "ui/help_documents.h"
#include "ui/message_box_service.h"
#include "ui/save_file_chooser.h"
#include "ui/tempo_tag_writer.h"
#include "ui/tick_clock.h"
#include "ui/track_analysis.h"
#include "ui/window_platform.h"

struct DialogServices {
  DialogWindow& window;
  MessageBoxService& messageBox;
  FolderChooser& folderChooser;
  SaveFileChooser& saveFileChooser;
  TrackAnalysis& analysis;
  CdAccess& cdAccess;
  // Renaming and copying with the tempo in the name.
  FileOperations& files;
  // The tap tempo's tick and its series timer.
  TickClock& clock;
  DialogTimer& timer;
  // The help documents, a row's file and the About box's links.
  DesktopOpener& opener;
  const HelpDocuments& helpDocuments;
  // The tempo into the files' tags.
  TempoTagWriter& tagWriter;
  // What the system the window runs on offers: this build's own unless a
  // test chooses another.
  WindowPlatform platform = ThisPlatform();
};
