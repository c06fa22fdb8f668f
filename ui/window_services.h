// WindowServices: the real services behind the main dialog, owned by the
// window that shows it, the same for every toolkit: the machine's CD
// drives, the analysis (whose worker posts to the window), files renamed
// and copied on disk, tempo tags, the tap tempo's clock, the help
// documents, the folder listing and the "Tag" column's tags on workers,
// and one analysis per core for runs on every core. The toolkit adds what only
// it can do (its modal windows, its timer, its opener of documents) in
// ViewServices; a test of the real window may put its own services in
// place of some through ServiceOverrides.
//
// A window declares its WindowServices before its MainDialog, so that the
// dialog may list a folder as soon as it exists and goes before them.
// Ending the window calls StopWorkers first: nothing more is posted.
#pragma once

#include <string>

#include "platform/message_target.h"
#include "platform/system_cd_access.h"
#include "ui/analysis_slots.h"
#include "ui/background_folder_scan.h"
#include "ui/background_tag_read.h"
#include "ui/dialog_services.h"
#include "ui/disk_file_operations.h"
#include "ui/engine_track_analysis.h"
#include "ui/help_documents.h"
#include "ui/tempo_tag_writer.h"
#include "ui/tick_clock.h"

// What the toolkit's window provides itself. Not owned.
struct ViewServices {
  DialogWindow& window;
  MessageBoxService& messageBox;
  FolderChooser& folderChooser;
  SaveFileChooser& saveFileChooser;
  DialogTimer& timer;
  DesktopOpener& opener;
};

// Services of the window that a test may put in place of the window's own,
// to drive it without waiting on a clock and to see what it would open, ask
// or tell. Null members keep the window's own. Not owned: they must outlive
// the window.
struct ServiceOverrides {
  TickClock* clock = nullptr;
  DialogTimer* timer = nullptr;
  DesktopOpener* opener = nullptr;
  MessageBoxService* messageBox = nullptr;
  SaveFileChooser* saveFileChooser = nullptr;
};

class WindowServices {
 public:
  // `target` receives the analysis' and the folder listing's messages;
  // the help documents are looked for beside `currentFolder` and the
  // program.
  WindowServices(MessageTarget& target, const std::string& currentFolder,
                 const ServiceOverrides& overrides = {});
  WindowServices(const WindowServices&) = delete;
  WindowServices& operator=(const WindowServices&) = delete;
  ~WindowServices();

  // Everything the dialog calls: the view's own services, each replaced by
  // its override where a test gave one, and the real ones.
  DialogServices ForDialog(const ViewServices& view);

  // The clock the tap tempo and the row follower read.
  TickClock& Clock();
  // The opener in use: the view's own or the override.
  DesktopOpener& Opener(DesktopOpener& own) const;
  BackgroundFolderScan& FolderScan() { return scan_; }
  BackgroundTagRead& TagRead() { return tagRead_; }
  // One analysis per core (Project > Use All Cores).
  EngineAnalysisSlots& AllCores() { return allCores_; }
  // Stops every running analysis, the folder walk and the tag reading;
  // nothing more is posted.
  void StopWorkers();

 private:
  ServiceOverrides overrides_;
  SystemCdAccess cdAccess_;
  FileTempoTagWriter tagWriter_;
  EngineTrackAnalysis analysis_;
  EngineAnalysisSlots allCores_;
  DiskFileOperations files_;
  SystemTickClock clock_;
  HelpDocuments helpDocuments_;
  BackgroundFolderScan scan_;
  BackgroundTagRead tagRead_;
};
