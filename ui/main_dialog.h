// MainDialog: the logic of the program's main window, with no toolkit in it.
//
// It holds the state the window shows (DialogState: the controls' texts,
// checks, enabled flags, up-downs, progress bar, drive box and menu; and the
// TrackList of rows) and the dialog's own members (SourceKind, whether a run
// is going on, the row being analysed, the drives behind the drive box
// entries). Everything else it needs it calls through DialogServices.
//
// Lifecycle: the window constructs it with the services, calls
// OnInitDialog() once when it opens, and then one handler per event (a
// button or menu command, a check box or radio button clicked, an up-down
// step, a drive chosen, a row selected by the user, a message of the
// analysis), all on the window thread. After each handler, and before each
// modal service call, the window draws State() and Tracks(). The dialog
// does not own the analysis: the window does, and stops it when it closes.
//
// An analysis run: StartRun marks the selected rows that have no tempo yet
// and deselects every row; NextRow hands the marked MP3 files of a folder
// one by one to the analysis (other marked rows are passed over); the
// progress, result and failure steps follow the analysis' messages; when no
// marked row is left, FinishRun offers the log file and gives the controls
// back. With Use All Cores checked and a window that has several analyses
// (DialogWindow::AllCoresAnalysis), each analysis takes the next marked row
// as soon as it is free instead, and the run ends when all are idle.
//
// The Project menu's other choices for large libraries (All Audio Formats,
// Show Tags, Skip Tagged Files) and the row menu change nothing while they
// are off or unused.
//
// The dialog watches its own TrackList: every change of a row, whoever made
// it, ends a tap series (tap_tempo.h) and enables the tap button exactly
// when one row is selected.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/analysis_slots.h"
#include "ui/beat_level_fixes.h"
#include "ui/dialog_services.h"
#include "ui/dialog_state.h"
#include "ui/source_kind.h"
#include "ui/tap_tempo.h"
#include "ui/track_list.h"
#include "ui/track_list_observer.h"

class MainDialog : private TrackListObserver {
 public:
  explicit MainDialog(const DialogServices& services);
  MainDialog(const MainDialog&) = delete;
  MainDialog& operator=(const MainDialog&) = delete;
  ~MainDialog() override;

  // The dialog's opening: the drive box filled from the CD drives, the
  // radio buttons, check boxes and up-downs at their defaults.
  void OnInitDialog();

  // A push button clicked or a command given (ids of dialog_ids.h: the
  // controls 1001-1041, the menu commands, kOkCommand and kCancelCommand).
  // A command whose control or menu item is disabled is ignored, as no
  // toolkit delivers it.
  void OnCommand(int id);
  // The user clicked a check box, which now shows `checked`.
  void OnCheckBoxClicked(int id, bool checked);
  // The user chose a radio button; the others of its group are cleared.
  void OnRadioButtonClicked(int id);
  // The user stepped an up-down by delta (+1 up, -1 down); the position
  // stays in its range and the buddy shows it. A tempo up-down switches its
  // limit's check box on.
  void OnUpDownStep(int id, int delta);
  // The user chose entry `entry` of the drive box.
  void OnDriveChosen(int entry);
  // The user selected or deselected a row in the list.
  void OnRowSelected(int row, bool selected);
  // A message of the analysis (AnalysisJob::kAnalysisProgress, kAnalysisDone,
  // kAnalysisFailed), delivered on the window thread.
  void OnAnalysisMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
  // The tap series' timer (DialogServices::timer) fired.
  void OnTimer();
  // The user asked for help (F1): the help document opens.
  void OnHelpRequest();
  // The user double-clicked row `row` of the list (-1: the empty area
  // below the rows): the row's file opens with the desktop's program for it.
  void OnRowActivated(int row);

  // Lists a folder as if the user had chosen it with "...": the path shown,
  // the list refilled with the folder's files, selected and sorted. When
  // the window lists in the background (DialogWindow::ListInBackground),
  // the list stays empty and the run-sensitive controls disabled until
  // FinishListing; the status line counts the files found meanwhile.
  void ListFolder(const std::string& path);
  // The background listing found `found` files so far.
  void OnListingProgress(int found);
  // The background listing is over: its paths, in walk order, fill the
  // list at once, sorted, and the controls are given back.
  void FinishListing(std::vector<std::string> paths);
  bool Listing() const { return listing_; }
  // Tempo tags the window read in the background (DialogWindow::
  // ReadTagsInBackground) for the "Tag" column; rows of an older listing,
  // or that hold another file now, are left alone.
  void OnTagsRead(const TagReadRequest& read);
  // The user asked for the row menu on `row` (a right click, or the
  // context-menu key on the row with the focus; -1 for none): a row not
  // selected becomes the only selected one, and the menu's items come
  // back, enabled where some selected row can take them. Empty (no menu)
  // during a run or a listing, or without a row.
  std::vector<RowMenuItem> RowMenu(int row);
  // The user chose an item of the row menu: every selected row with a
  // tempo gets the fixed tempo, written as "Set BPM" writes it.
  void OnRowMenuChosen(TempoFix fix);
  // Whether the list shows the "Tag" column (Project > Show Tags).
  bool ShowsTags() const { return state_.MenuChecked(kShowTagsCommand); }

  const DialogState& State() const { return state_; }
  // The rows; the window adds itself as an observer and reads them.
  TrackList& Tracks() { return tracks_; }
  const TrackList& Tracks() const { return tracks_; }
  const TapState& TapSeries() const { return tapTempo_.State(); }
  SourceKind Source() const { return sourceKind_; }
  bool AnalysisRunning() const { return analysisRunning_; }
  int CurrentRow() const { return currentRow_; }

 private:
  bool CommandEnabled(int id) const;
  void ChooseFolder();
  void ChooseDrive(int entry);
  void RefreshCd();
  void ListDiscTracks(const DriveRecord& drive);
  void InvertSelection();

  void StartRun();
  void WriteTempoTags();
  void NextRow();
  void ProgressStep(uint32_t blockIndex, int64_t totalBlocks);
  void ResultStep();
  bool ApplyResult(int row, TrackAnalysis& analysis);
  bool RowAnalysed(int row) const;
  void StartSlotRun(AnalysisSlots& slots);
  void FillSlots();
  void OnSlotMessage(int slot, uint32_t message);
  void FailureStep();
  void MarkCurrentRowFailed();
  void SetControlsEnabled(bool enable);
  void FinishRun();

  AudioFormats ListedFormats() const;
  void ReadTags(const std::vector<int>& rows);
  void ReadAllTags();
  bool TakeTaggedTempo(int row);
  void SetUpUpDown(int upDown, int buddy, int lower, int upper, int position);

  void RenameFiles();
  void OpenHelpDocument(const char* name);
  int OnlySelectedRow() const;
  void TapBeat();
  void SetBpmFromTaps();
  // TrackListObserver: any change of the rows.
  void OnRowChanged(int row) override;
  void OnRowsReset() override;
  void OnTrackListChanged();

  DialogServices services_;
  DialogState state_;
  TrackList tracks_;
  std::vector<DriveRecord> boxDrives_;  // the drive behind each drive box entry
  SourceKind sourceKind_ = SourceKind::kNothing;
  bool analysisRunning_ = false;
  // The run that goes on analyses every audio format (All Audio Formats
  // was checked when it started).
  bool runEveryFormat_ = false;
  // The run uses the precise estimator.
  bool runPrecise_ = false;
  // The run takes a tagged file's tempo from its tag (Skip Tagged Files).
  bool runSkipTagged_ = false;
  // A run on every core: its slots (null otherwise), the row each slot
  // analyses (-1: idle), the next row to hand out, and the bytes of the
  // run's files in all and of those finished.
  AnalysisSlots* slots_ = nullptr;
  std::vector<int> slotRows_;
  int nextRow_ = 0;
  uint64_t runBytes_ = 0;
  uint64_t finishedBytes_ = 0;
  // Counts the refills and re-sorts of the list, so that tags read for an
  // older listing are recognised.
  uint64_t listingNumber_ = 0;
  // Tags are being put into the rows: not a change that ends a tap series.
  bool applyingTags_ = false;
  bool listing_ = false;  // a folder is being listed in the background
  int currentRow_ = -1;
  TapTempo tapTempo_;
};
