// MemoryDialogHost: the main dialog's window services kept in memory, for
// driving the dialog logic without a display (tests, benchmarks). The
// modal choosers answer from queues the caller fills beforehand (an empty
// queue answers "cancel"); everything the dialog asked is recorded. The
// tick is set by the caller (`now`); the timer only records whether and for
// how long it is armed: the caller fires it (FireTimer) by calling the
// dialog's OnTimer.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/desktop_opener.h"
#include "ui/dialog_timer.h"
#include "ui/dialog_window.h"
#include "ui/folder_chooser.h"
#include "ui/message_box_service.h"
#include "ui/save_file_chooser.h"
#include "ui/tick_clock.h"

struct ShownMessage {
  std::string text;
  std::string caption;
};

class MemoryDialogHost : public DialogWindow,
                         public MessageBoxService,
                         public FolderChooser,
                         public SaveFileChooser,
                         public TickClock,
                         public DialogTimer,
                         public DesktopOpener {
 public:
  // DialogWindow
  void EndDialog() override { ++endDialogCalls; }
  void FitColumnToContents(int column) override { fittedColumns.push_back(column); }
  void ShowAboutBox() override { ++aboutBoxes; }
  // Lists in the background only when told to; the caller then hands the
  // paths to the dialog (FinishListing) itself.
  bool ListInBackground(const std::string& folder, AudioFormats formats) override {
    if (!listInBackground) return false;
    backgroundListings.push_back(folder);
    backgroundListingFormats.push_back(formats);
    return true;
  }

  // Reads tags in the background only when told to; the caller then hands
  // the results to the dialog (OnTagsRead) itself.
  bool ReadTagsInBackground(const TagReadRequest& request) override {
    if (!readTagsInBackground) return false;
    tagRequests.push_back(request);
    return true;
  }

  AnalysisSlots* AllCoresAnalysis() override { return allCores; }

  // MessageBoxService
  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption});
  }

  // FolderChooser
  std::optional<std::string> ChooseFolder(const std::string& title) override;

  // SaveFileChooser: the answer gets the default extension as a desktop's
  // save dialog would give it.
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;

  // TickClock
  uint32_t Now() override { return now; }

  // DialogTimer: armed with its period, or not armed.
  void Start(uint32_t milliseconds) override { timerPeriod = milliseconds; }
  void Stop() override { timerPeriod.reset(); }

  // DesktopOpener
  void Open(const std::string& target) override { opened.push_back(target); }

  // Answers for the next choosers; nullopt (or nothing queued) cancels.
  std::deque<std::optional<std::string>> folderAnswers;
  std::deque<std::optional<std::string>> saveAnswers;

  bool listInBackground = false;
  // What the dialog asked.
  int endDialogCalls = 0;
  std::vector<std::string> backgroundListings;
  std::vector<AudioFormats> backgroundListingFormats;
  bool readTagsInBackground = false;
  AnalysisSlots* allCores = nullptr;  // runs on every core use these
  std::vector<TagReadRequest> tagRequests;
  std::vector<int> fittedColumns;
  std::vector<ShownMessage> messages;
  std::vector<std::string> folderTitles;
  std::vector<SaveFileRequest> saveRequests;
  int aboutBoxes = 0;
  std::vector<std::string> opened;

  // The tick the clock reads, and the timer's period while it is armed.
  uint32_t now = 1;
  std::optional<uint32_t> timerPeriod;
};
