// The main dialog's logic. See main_dialog.h.
#include "ui/main_dialog.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>

#include <filesystem>

#include "engine/analysis_job.h"
#include "engine/tempo_folding.h"
#include "platform/cd_track_path.h"
#include "ui/analysis_slots.h"
#include "ui/bpm_text.h"
#include "ui/folder_scan.h"
#include "ui/progress_rule.h"
#include "ui/rename_with_bpm.h"
#include "ui/run_log.h"
#include "ui/tag_reading.h"

namespace {

// The radio button groups; within each exactly one button is checked.
constexpr std::array<std::array<int, 2>, 3> kRadioGroups{{
    {kRenameRadio, kDuplicateRadio},
    {kRenameAtBeginningRadio, kRenameAtEndRadio},
    {kDuplicateAtBeginningRadio, kDuplicateAtEndRadio},
}};

// What a run disables and gives back: menu items, then controls. The tap
// button and the rest of the window are not among them.
constexpr std::array kRunSensitiveMenuItems{kBrowseFolderCommand, kRefreshCdCommand,
                                            kAnalyzeFilesCommand, kRenameFilesCommand,
                                            kWriteTagsCommand};
constexpr std::array kRunSensitiveControls{kDriveBox,
                                           kRenameRadio,
                                           kDuplicateRadio,
                                           kDecimalPlacesUpDown,
                                           kBrowseButton,
                                           kDuplicateAtBeginningRadio,
                                           kRenameAtBeginningRadio,
                                           kDuplicateAtEndRadio,
                                           kRenameAtEndRadio,
                                           kGoButton,
                                           kMinTempoBox,
                                           kMaxTempoBox,
                                           kMinTempoUpDown,
                                           kMaxTempoUpDown,
                                           kMinTempoValue,
                                           kMaxTempoValue,
                                           kDecimalPlacesValue,
                                           kDecimalPlacesLabel};

// Only MP3 files are analysed: the last three characters of the path are
// "mp3" in any case.
bool EndsInMp3(const std::string& path) {
  if (path.size() < 3) return false;
  std::string tail = path.substr(path.size() - 3);
  for (char& c : tail)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return tail == "mp3";
}

// The status line while a folder is listed.
std::string ListingProgressText(int found) {
  return "Listing the folder: " + std::to_string(found) + (found == 1 ? " file" : " files") +
         " found so far...";
}

bool IsMenuCommand(int id) {
  return id >= kFirstMenuCommand && id <= kLastMenuCommand;
}

bool IsControl(int id) {
  return id >= kFirstControlId && id <= kLastControlId;
}

// The row text of track `track` of a disc in `drive`, whose location on
// this system is `location`, named as the system shows audio discs: the
// drive letter's .cda file (where the system gives no letter, the letter
// counted from C by the drive's host adapter), or the desktop's location
// of the track.
std::string DiscTrackName(CdTrackNames names, const DriveRecord& drive, const std::string& location,
                          int track) {
  if (names == CdTrackNames::kDesktopLocations) return CdTrackPath(location, track);
  const bool lettered = location.size() == 2 && location[1] == ':';
  const auto letter = static_cast<char>(lettered ? location[0] : 'C' + drive.hostAdapter);
  return WindowsCdTrackPath(letter, track);
}

}  // namespace

MainDialog::MainDialog(const DialogServices& services)
    : services_(services), tapTempo_(services.clock, services.timer) {
  tracks_.AddObserver(this);
  // Listing and analysing every format needs a decoder for them.
  state_.SetMenuShown(kAllFormatsCommand, services_.platform.decodesEveryFormat);
}

MainDialog::~MainDialog() {
  tracks_.RemoveObserver(this);
}

void MainDialog::OnInitDialog() {
  services_.window.FitColumnToContents(0);
  services_.window.FitColumnToContents(1);

  // The drive box: one entry per drive whose query succeeds, none chosen;
  // entry k stands for the k-th such drive.
  state_.driveNames.clear();
  boxDrives_.clear();
  DriveList drives;
  services_.cdAccess.GetCDList(drives);
  for (int i = 0; i < drives.driveCount && i < kMaxDrives; ++i) {
    const DriveRecord& listed = drives.drives[i];
    DriveRecord record;
    if (services_.cdAccess.GetDriveInfo(listed.hostAdapter, listed.target, listed.lun, record) !=
        kCdSuccess)
      continue;
    state_.driveNames.emplace_back(record.id, strnlen(record.id, sizeof record.id));
    boxDrives_.push_back(record);
  }
  state_.driveSelection = -1;

  for (int id : {kRenameRadio, kRenameAtBeginningRadio, kDuplicateAtBeginningRadio})
    OnRadioButtonClicked(id);
  state_.Control(kMinTempoBox).checked = false;
  state_.Control(kMaxTempoBox).checked = false;

  SetUpUpDown(kMinTempoUpDown, kMinTempoValue, 30, 120, 30);
  SetUpUpDown(kMaxTempoUpDown, kMaxTempoValue, 120, 240, 240);
  SetUpUpDown(kDecimalPlacesUpDown, kDecimalPlacesValue, 0, 2, 0);

  analysisRunning_ = false;
}

void MainDialog::SetUpUpDown(int upDown, int buddy, int lower, int upper, int position) {
  state_.UpDown(upDown) = {lower, upper, position};
  state_.Control(buddy).text = std::to_string(position);
}

bool MainDialog::CommandEnabled(int id) const {
  if (IsMenuCommand(id)) return state_.MenuShown(id) && state_.MenuEnabled(id);
  if (IsControl(id)) return state_.Control(id).enabled;
  return true;
}

void MainDialog::OnCommand(int id) {
  if (!CommandEnabled(id)) return;
  switch (id) {
    case kGoButton:
    case kAnalyzeFilesCommand:
      StartRun();
      break;
    case kBrowseButton:
    case kBrowseFolderCommand:
      ChooseFolder();
      break;
    case kRefreshCdCommand:
      RefreshCd();
      break;
    case kInvertButton:
      InvertSelection();
      break;
    case kWriteTagsCommand:
      WriteTempoTags();
      break;
    case kPreciseTempoCommand:
    case kAllFormatsCommand:
    case kSkipTaggedCommand:
    case kUseAllCoresCommand:
      state_.SetMenuChecked(id, !state_.MenuChecked(id));
      break;
    case kShowTagsCommand:
      state_.SetMenuChecked(id, !state_.MenuChecked(id));
      // The column appears with the tags of the rows listed; they are read
      // again each time, as files may have changed meanwhile.
      if (ShowsTags()) ReadAllTags();
      break;
    case kOkCommand:
    case kCancelCommand:
    case kExitButton:
    case kExitCommand:
      services_.window.EndDialog();
      break;
    case kRenameFilesCommand:
      RenameFiles();
      break;
    case kTapButton:
      TapBeat();
      break;
    case kSetBpmButton:
      SetBpmFromTaps();
      break;
    case kTutorialCommand:
      OpenHelpDocument(kTutorialDocument);
      break;
    case kHelpCommand:
      OpenHelpDocument(kHelpDocument);
      break;
    case kEulaCommand:
      OpenHelpDocument(kEulaDocument);
      break;
    case kAboutCommand:
      services_.window.ShowAboutBox();
      break;
    default:
      break;
  }
}

void MainDialog::OnCheckBoxClicked(int id, bool checked) {
  if (id != kMinTempoBox && id != kMaxTempoBox) return;
  if (!state_.Control(id).enabled) return;
  state_.Control(id).checked = checked;
}

void MainDialog::OnRadioButtonClicked(int id) {
  for (const auto& group : kRadioGroups) {
    if (std::find(group.begin(), group.end(), id) == group.end()) continue;
    if (!state_.Control(id).enabled) return;
    for (int member : group) state_.Control(member).checked = member == id;
  }
}

void MainDialog::OnUpDownStep(int id, int delta) {
  int buddy = 0;
  int box = 0;
  switch (id) {
    case kMinTempoUpDown:
      buddy = kMinTempoValue;
      box = kMinTempoBox;
      break;
    case kMaxTempoUpDown:
      buddy = kMaxTempoValue;
      box = kMaxTempoBox;
      break;
    case kDecimalPlacesUpDown:
      buddy = kDecimalPlacesValue;
      break;
    default:
      return;
  }
  if (!state_.Control(id).enabled) return;
  UpDownState& upDown = state_.UpDown(id);
  upDown.position = std::clamp(upDown.position + delta, upDown.lower, upDown.upper);
  state_.Control(buddy).text = std::to_string(upDown.position);
  // Touching a tempo limit switches it on.
  if (box != 0) state_.Control(box).checked = true;
}

void MainDialog::OnDriveChosen(int entry) {
  if (!state_.Control(kDriveBox).enabled) return;
  ChooseDrive(entry);
}

void MainDialog::OnRowSelected(int row, bool selected) {
  if (row < 0 || row >= tracks_.RowCount()) return;
  if (tracks_.Row(row).selected != selected) tracks_.SetSelected(row, selected);
}

void MainDialog::OnTimer() {
  tapTempo_.SeriesTimedOut(state_.Control(kSetBpmButton));
}

void MainDialog::OnHelpRequest() {
  OpenHelpDocument(kHelpDocument);
}

void MainDialog::OnRowActivated(int row) {
  if (row < 0 || row >= tracks_.RowCount()) return;
  services_.opener.Open(tracks_.Row(row).fileName);
}

void MainDialog::OnAnalysisMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == AnalysisSlots::kSlotMessage) {
    if (analysisRunning_) OnSlotMessage(static_cast<int>(wParam), static_cast<uint32_t>(lParam));
    return;
  }
  // One file at a time: nothing comes from the slots.
  if (slots_ != nullptr) return;
  // Messages belong to the row under analysis; none can come outside a run.
  if (!analysisRunning_ || currentRow_ < 0 || currentRow_ >= tracks_.RowCount()) return;
  switch (message) {
    case AnalysisJob::kAnalysisProgress:
      ProgressStep(static_cast<uint32_t>(wParam), static_cast<int64_t>(lParam));
      break;
    case AnalysisJob::kAnalysisDone:
      ResultStep();
      break;
    case AnalysisJob::kAnalysisFailed:
      FailureStep();
      break;
    default:
      break;
  }
}

// ---- The track list's sources ----

void MainDialog::ChooseFolder() {
  std::optional<std::string> folder = services_.folderChooser.ChooseFolder("Select a folder...");
  if (!folder) return;
  ListFolder(*folder);
}

void MainDialog::ListFolder(const std::string& path) {
  state_.Control(kSourcePath).text = path;
  sourceKind_ = SourceKind::kFolder;
  tracks_.DeleteAllRows();
  if (services_.window.ListInBackground(path, ListedFormats())) {
    // Nothing may start on a half-listed folder; the user still can read
    // the help or end the program.
    listing_ = true;
    SetControlsEnabled(false);
    OnListingProgress(0);
    return;
  }
  FinishListing(ScanFolderPaths(path, nullptr, nullptr, ListedFormats()));
}

// All Audio Formats chooses the names of the next listing; a listing
// already shown stays as it is.
AudioFormats MainDialog::ListedFormats() const {
  return state_.MenuChecked(kAllFormatsCommand) ? AudioFormats::kEveryFormat
                                                : AudioFormats::kMpegAndWave;
}

void MainDialog::OnListingProgress(int found) {
  if (!listing_) return;
  state_.Control(kStatusLine).text = ListingProgressText(found);
}

void MainDialog::FinishListing(std::vector<std::string> paths) {
  // The list is filled once, with the whole tree.
  for (std::string& path : paths) tracks_.AppendRow(std::move(path));
  tracks_.SortByFileName();
  // The columns fit their contents once, after the whole tree: only the
  // final widths are ever seen.
  services_.window.FitColumnToContents(0);
  services_.window.FitColumnToContents(1);
  if (listing_) {
    listing_ = false;
    state_.Control(kStatusLine).text.clear();
    SetControlsEnabled(true);
  }
  if (ShowsTags()) ReadAllTags();
}

void MainDialog::ChooseDrive(int entry) {
  if (entry < 0 || entry >= static_cast<int>(boxDrives_.size())) return;
  state_.driveSelection = entry;
  state_.Control(kSourcePath).text = state_.driveNames[static_cast<size_t>(entry)];
  sourceKind_ = SourceKind::kAudioCd;
  tracks_.DeleteAllRows();
  ListDiscTracks(boxDrives_[static_cast<size_t>(entry)]);
}

void MainDialog::RefreshCd() {
  if (sourceKind_ != SourceKind::kAudioCd) return;
  if (state_.driveSelection < 0 || state_.driveSelection >= static_cast<int>(boxDrives_.size()))
    return;
  tracks_.DeleteAllRows();
  ListDiscTracks(boxDrives_[static_cast<size_t>(state_.driveSelection)]);
}

void MainDialog::ListDiscTracks(const DriveRecord& drive) {
  // No drive, no disc, an unreadable disc: no rows and no message.
  CdAccess& cd = services_.cdAccess;
  const CdHandle handle = cd.GetCDHandle(CdHandleRequest::ForDrive(drive));
  if (handle == kNoCdHandle) return;
  cd.ModifyCDParms(handle, kCdParmTrackAddressForm, 1);
  TableOfContents toc;
  const bool read = cd.ReadTOC(handle, toc) == kCdSuccess;
  cd.CloseCDHandle(handle);
  if (!read) return;
  // The audio tracks in track order, data tracks left out; neither sorted
  // nor are the columns fitted.
  const std::string location = cd.DriveLocation(drive);
  for (int track = toc.firstTrack; track <= toc.lastTrack; ++track)
    if (IsAudioTrack(toc, track))
      tracks_.AppendRow(DiscTrackName(services_.platform.cdTrackNames, drive, location, track));
}

void MainDialog::InvertSelection() {
  for (int row = 0; row < tracks_.RowCount(); ++row)
    tracks_.SetSelected(row, !tracks_.Row(row).selected);
}

// ---- Analysis runs ----

void MainDialog::StartRun() {
  if (tracks_.SelectedCount() == 0) {
    services_.messageBox.ShowMessage("You must first select one or more files for analysis!",
                                     "Unable to proceed...");
    return;
  }
  SetControlsEnabled(false);
  analysisRunning_ = true;
  // The whole run uses the estimator chosen when it starts.
  runPrecise_ = state_.MenuChecked(kPreciseTempoCommand);
  services_.analysis.SetPreciseTempo(runPrecise_);
  runEveryFormat_ = state_.MenuChecked(kAllFormatsCommand);
  services_.analysis.SetEveryFormat(runEveryFormat_);
  runSkipTagged_ = state_.MenuChecked(kSkipTaggedCommand);
  // Every row is written back once: deselected, marked when it was selected
  // and has no tempo yet (a marked row also loses its old image).
  for (int row = 0; row < tracks_.RowCount(); ++row) {
    TrackRow values = tracks_.Row(row);
    const bool queued = values.selected && values.bpm.empty();
    values.selected = false;
    values.itemData = queued ? 1 : 0;
    if (queued) values.image = RowImage::kNone;
    tracks_.SetRow(row, std::move(values));
  }
  currentRow_ = -1;
  // On every core when asked and the window has more than one.
  AnalysisSlots* slots =
      state_.MenuChecked(kUseAllCoresCommand) ? services_.window.AllCoresAnalysis() : nullptr;
  if (slots != nullptr && slots->Count() > 1) {
    StartSlotRun(*slots);
    return;
  }
  NextRow();
}

// A loop in place of the nested call for every row passed over or failed
// at once; the order of effects is the same.
void MainDialog::NextRow() {
  for (;;) {
    ++currentRow_;
    while (currentRow_ < tracks_.RowCount() && tracks_.Row(currentRow_).itemData == 0)
      ++currentRow_;
    if (currentRow_ >= tracks_.RowCount()) {
      FinishRun();
      return;
    }
    const std::string& path = tracks_.Row(currentRow_).fileName;
    if (RowAnalysed(currentRow_)) {
      if (runSkipTagged_ && TakeTaggedTempo(currentRow_)) continue;
      if (services_.analysis.Start(path)) {
        state_.Control(kStatusLine).text = path;
        return;
      }
      MarkCurrentRowFailed();
    }
    // Any other marked row (a WAV file, a CD track) is passed over: it keeps
    // image 0 and an empty tempo.
  }
}

// A row whose file's tag holds a tempo gets that tempo, as it is (not
// folded: it is the tempo the user already trusted), and the tag's image.
bool MainDialog::TakeTaggedTempo(int row) {
  const std::optional<double> tagged = services_.tagWriter.ReadTempo(tracks_.Row(row).fileName);
  if (!tagged || !std::isfinite(*tagged)) return false;
  TrackRow values = tracks_.Row(row);
  values.bpm = FormatFixed(*tagged, 2);
  values.image = RowImage::kFromTag;
  if (ShowsTags()) values.tag = TagTempoText(tagged);
  tracks_.SetRow(row, std::move(values));
  services_.window.FitColumnToContents(0);
  return true;
}

void MainDialog::ProgressStep(uint32_t blockIndex, int64_t totalBlocks) {
  // The bar follows the analysis' steady read position where it has one:
  // the block counts of the message wrap after 65,535 blocks and their
  // estimated total jumps on files of varying bit rate.
  const ReadPosition position = services_.analysis.Progress();
  if (position.total > 0)
    ApplyProgressReport(state_.progressBar, position.done, position.total);
  else
    ApplyProgressReport(state_.progressBar, blockIndex, totalBlocks);
}

void MainDialog::ResultStep() {
  state_.progressBar = {0, 0};
  if (!ApplyResult(currentRow_, services_.analysis)) MarkCurrentRowFailed();
  NextRow();
}

// The tempo of a finished analysis into its row, folded into the range;
// false when it found none (a file too short to measure: a failed row,
// never "nan").
bool MainDialog::ApplyResult(int row, TrackAnalysis& analysis) {
  double tempo = analysis.EstimateTempo();
  if (!std::isfinite(tempo)) return false;
  std::optional<double> minimum;
  std::optional<double> maximum;
  if (state_.Control(kMinTempoBox).checked) minimum = state_.UpDown(kMinTempoUpDown).position;
  if (state_.Control(kMaxTempoBox).checked) maximum = state_.UpDown(kMaxTempoUpDown).position;
  tempo = FoldTempo(tempo, minimum, maximum);
  tracks_.SetBpm(row, FormatFixed(tempo, 2));
  // A precise estimate of low confidence is marked for checking; its
  // runner-up level is kept for the row menu.
  RowImage image = RowImage::kAnalysed;
  if (runPrecise_) {
    const double confidence = analysis.TempoConfidence();
    if (std::isfinite(confidence) && confidence < kUnsureConfidence) image = RowImage::kUnsure;
    const double alternative = analysis.AlternativeTempo();
    if (std::isfinite(alternative) && alternative > 0) {
      TrackRow values = tracks_.Row(row);
      values.alternative = alternative;
      tracks_.SetRow(row, std::move(values));
    }
  }
  tracks_.SetImage(row, image);
  services_.window.FitColumnToContents(0);
  return true;
}

// ---- Runs on every core ----

namespace {

uint64_t FileBytes(const std::string& path) {
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : static_cast<uint64_t>(size);
}

}  // namespace

// Whether a marked row of this run is analysed (the others are passed over).
bool MainDialog::RowAnalysed(int row) const {
  const std::string& path = tracks_.Row(row).fileName;
  // With every format, every listed audio file is analysed (WAV files
  // too); otherwise MP3 files only.
  const bool analysed =
      runEveryFormat_ ? IsAudioFileName(path, AudioFormats::kEveryFormat) : EndsInMp3(path);
  return sourceKind_ == SourceKind::kFolder && analysed;
}

void MainDialog::StartSlotRun(AnalysisSlots& slots) {
  slots_ = &slots;
  slotRows_.assign(static_cast<size_t>(slots.Count()), -1);
  runBytes_ = 0;
  finishedBytes_ = 0;
  for (int row = 0; row < tracks_.RowCount(); ++row)
    if (tracks_.Row(row).itemData != 0 && RowAnalysed(row))
      runBytes_ += FileBytes(tracks_.Row(row).fileName);
  for (int slot = 0; slot < slots.Count(); ++slot) {
    slots.Slot(slot).SetPreciseTempo(runPrecise_);
    slots.Slot(slot).SetEveryFormat(runEveryFormat_);
  }
  nextRow_ = 0;
  FillSlots();
}

// Gives every idle slot the next marked row; the run ends when no row is
// left and every slot is idle.
void MainDialog::FillSlots() {
  for (int slot = 0; slot < slots_->Count(); ++slot) {
    while (slotRows_[static_cast<size_t>(slot)] < 0 && nextRow_ < tracks_.RowCount()) {
      const int row = nextRow_++;
      if (tracks_.Row(row).itemData == 0 || !RowAnalysed(row)) continue;
      if (runSkipTagged_ && TakeTaggedTempo(row)) {
        finishedBytes_ += FileBytes(tracks_.Row(row).fileName);
        continue;
      }
      const std::string& path = tracks_.Row(row).fileName;
      if (slots_->Slot(slot).Start(path)) {
        slotRows_[static_cast<size_t>(slot)] = row;
        // The status line and the row follower: the file started last.
        state_.Control(kStatusLine).text = path;
        currentRow_ = row;
      } else {
        finishedBytes_ += FileBytes(path);
        tracks_.SetImage(row, RowImage::kFailed);
      }
    }
  }
  if (std::all_of(slotRows_.begin(), slotRows_.end(), [](int row) { return row < 0; })) {
    slots_ = nullptr;
    state_.progressBar = {0, 0};
    FinishRun();
  }
}

void MainDialog::OnSlotMessage(int slot, uint32_t message) {
  if (slots_ == nullptr || slot < 0 || slot >= slots_->Count()) return;
  const int row = slotRows_[static_cast<size_t>(slot)];
  if (row < 0) return;
  TrackAnalysis& analysis = slots_->Slot(slot);
  switch (message) {
    case AnalysisJob::kAnalysisProgress: {
      // The run's whole progress: the bytes of the files finished and of
      // those being read, of all the run's files.
      uint64_t done = finishedBytes_;
      for (int other = 0; other < slots_->Count(); ++other)
        if (slotRows_[static_cast<size_t>(other)] >= 0)
          done += static_cast<uint64_t>(std::max<int64_t>(slots_->Slot(other).Progress().done, 0));
      if (runBytes_ > 0)
        ApplyProgressReport(state_.progressBar, static_cast<int64_t>(std::min(done, runBytes_)),
                            static_cast<int64_t>(runBytes_));
      return;
    }
    case AnalysisJob::kAnalysisDone:
      if (!ApplyResult(row, analysis)) tracks_.SetImage(row, RowImage::kFailed);
      break;
    case AnalysisJob::kAnalysisFailed:
      tracks_.SetImage(row, RowImage::kFailed);
      break;
    default:
      return;
  }
  finishedBytes_ += FileBytes(tracks_.Row(row).fileName);
  slotRows_[static_cast<size_t>(slot)] = -1;
  FillSlots();
}

void MainDialog::FailureStep() {
  MarkCurrentRowFailed();
  NextRow();
}

void MainDialog::MarkCurrentRowFailed() {
  state_.progressBar = {0, 0};
  tracks_.SetImage(currentRow_, RowImage::kFailed);
}

void MainDialog::SetControlsEnabled(bool enable) {
  for (int command : kRunSensitiveMenuItems) state_.SetMenuEnabled(command, enable);
  for (int id : kRunSensitiveControls) state_.Control(id).enabled = enable;
  state_.Control(kTapButton).enabled = enable && tracks_.SelectedCount() == 1;
}

void MainDialog::FinishRun() {
  state_.Control(kStatusLine).text.clear();
  state_.progressBar.position = 0;

  SaveFileRequest request;
  request.title = "Would you like to save a log file?";
  request.initialName = "bpmlog.txt";
  request.defaultExtension = "txt";
  request.filterLabel = "TXT Files (*.txt)";
  request.filterPattern = "*.txt";
  if (std::optional<std::string> path = services_.saveFileChooser.ChooseSaveFile(request)) {
    const int decimals = state_.UpDown(kDecimalPlacesUpDown).position;
    switch (WriteRunLog(*path, tracks_, decimals)) {
      case LogWriteResult::kWritten:
        break;
      case LogWriteResult::kCannotOpen:
        services_.messageBox.ShowMessage("Unable to open log file for writing!",
                                         "Log file creation failed!");
        break;
      case LogWriteResult::kIncomplete:
        // Not silently cut short: the user learns that the log is incomplete.
        services_.messageBox.ShowMessage(
            "Unable to write the whole log file!\n" + *path + "\nis incomplete.",
            "Log file creation failed!");
        break;
    }
  }

  SetControlsEnabled(true);
  analysisRunning_ = false;
}

// ---- Renaming and copying, help documents ----

void MainDialog::RenameFiles() {
  // A compact disc's tracks cannot be renamed: nothing happens at all.
  if (sourceKind_ == SourceKind::kAudioCd) return;
  RenameRequest request;
  if (state_.Control(kRenameRadio).checked) {
    request.operation = FileOperation::kRename;
    request.position = state_.Control(kRenameAtBeginningRadio).checked ? TagPosition::kBeginning
                                                                       : TagPosition::kEnd;
  } else {
    request.operation = FileOperation::kCopy;
    request.position = state_.Control(kDuplicateAtBeginningRadio).checked ? TagPosition::kBeginning
                                                                          : TagPosition::kEnd;
  }
  request.decimals = state_.UpDown(kDecimalPlacesUpDown).position;
  RenameFilesWithBpm(tracks_, request, services_.files, services_.messageBox);
}

void MainDialog::OpenHelpDocument(const char* name) {
  services_.opener.Open(services_.helpDocuments.Locate(name));
}

// ---- Tap tempo ----

int MainDialog::OnlySelectedRow() const {
  if (tracks_.SelectedCount() != 1) return -1;
  for (int row = 0; row < tracks_.RowCount(); ++row)
    if (tracks_.Row(row).selected) return row;
  return -1;
}

void MainDialog::TapBeat() {
  std::optional<double> rowBpm;
  if (const int row = OnlySelectedRow(); row >= 0) rowBpm = ParseBpmText(tracks_.Row(row).bpm);
  tapTempo_.Tap(rowBpm, state_.Control(kSetBpmButton));
}

void MainDialog::SetBpmFromTaps() {
  const int row = OnlySelectedRow();
  if (row < 0) return;
  // Always two decimals, whatever the decimal places show. Writing the row
  // is a change of the list, which ends the series and clears the proposal.
  TrackRow values = tracks_.Row(row);
  values.bpm = FormatFixed(tapTempo_.ProposedBpm(), 2);
  values.image = RowImage::kSetByHand;
  tracks_.SetRow(row, std::move(values));
  services_.window.FitColumnToContents(0);
}

// ---- The row menu ----

namespace {

bool HasTempo(const TrackRow& values) {
  const double bpm = ParseBpmText(values.bpm);
  return !values.bpm.empty() && std::isfinite(bpm) && bpm > 0;
}

}  // namespace

std::vector<RowMenuItem> MainDialog::RowMenu(int row) {
  if (analysisRunning_ || listing_ || tracks_.RowCount() == 0) return {};
  if (row >= tracks_.RowCount()) return {};
  if (row >= 0 && !tracks_.Row(row).selected)
    for (int other = 0; other < tracks_.RowCount(); ++other)
      if (tracks_.Row(other).selected != (other == row)) tracks_.SetSelected(other, other == row);
  if (tracks_.SelectedCount() == 0) return {};
  bool anyTempo = false;
  std::optional<double> alternative;  // the clicked row's, else the first selected one's
  if (row >= 0 && HasTempo(tracks_.Row(row))) alternative = tracks_.Row(row).alternative;
  for (int other = 0; other < tracks_.RowCount(); ++other) {
    const TrackRow& values = tracks_.Row(other);
    if (!values.selected || !HasTempo(values)) continue;
    anyTempo = true;
    if (!alternative) alternative = values.alternative;
  }
  std::vector<RowMenuItem> items;
  for (TempoFix fix :
       {TempoFix::kDouble, TempoFix::kHalve, TempoFix::kThreeHalves, TempoFix::kTwoThirds})
    items.push_back({fix, FixLabel(fix, std::nullopt), anyTempo});
  // The second-best level only where a precise run left one.
  if (alternative)
    items.push_back({TempoFix::kSecondBest, FixLabel(TempoFix::kSecondBest, alternative), true});
  return items;
}

void MainDialog::OnRowMenuChosen(TempoFix fix) {
  if (analysisRunning_ || listing_) return;
  bool changed = false;
  for (int row = 0; row < tracks_.RowCount(); ++row) {
    const TrackRow& current = tracks_.Row(row);
    if (!current.selected || !HasTempo(current)) continue;
    const double bpm = ParseBpmText(current.bpm);
    const std::optional<double> fixed = FixedTempo(fix, bpm, current.alternative);
    if (!fixed) continue;
    // As "Set BPM" writes a row: two decimals and the raised thumb.
    TrackRow values = current;
    values.bpm = FormatFixed(*fixed, 2);
    values.image = RowImage::kSetByHand;
    // The level left becomes the second best, so the choice can be undone.
    if (fix == TempoFix::kSecondBest) values.alternative = bpm;
    tracks_.SetRow(row, std::move(values));
    changed = true;
  }
  if (changed) services_.window.FitColumnToContents(0);
}

void MainDialog::OnRowChanged(int) {
  OnTrackListChanged();
}

void MainDialog::OnRowsReset() {
  ++listingNumber_;
  OnTrackListChanged();
}

void MainDialog::OnTrackListChanged() {
  if (applyingTags_) return;
  tapTempo_.Reset(state_.Control(kSetBpmButton));
  state_.Control(kTapButton).enabled = tracks_.SelectedCount() == 1;
}

// ---- Tempo tags ----

namespace {

// The message of a tag that could not be written: the path, then the
// reason on a line of its own, starting with a capital.
std::string TagFailureMessage(const std::string& path, std::string reason) {
  std::string text = "Unable to write the BPM tag!\n" + path;
  if (reason.empty()) return text;
  if (reason[0] >= 'a' && reason[0] <= 'z') reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
  return text + "\n" + reason + ".";
}

}  // namespace

// Every selected row of a folder listing that shows a tempo gets it in its
// file's tag, with as many decimals as the decimal-places spinner shows.
// Rows without a tempo are passed over; a file whose tag cannot be written
// gets its message and the walk goes on. A disc's tracks have no tags.
void MainDialog::WriteTempoTags() {
  if (sourceKind_ == SourceKind::kAudioCd) return;
  int attempted = 0;
  std::vector<int> written;
  for (int row = 0; row < tracks_.RowCount(); ++row) {
    const TrackRow& values = tracks_.Row(row);
    if (!values.selected || values.bpm.empty()) continue;
    ++attempted;
    const std::string path = values.fileName;
    std::string error;
    if (services_.tagWriter.Write(path, ParseBpmText(values.bpm),
                                  state_.UpDown(kDecimalPlacesUpDown).position, &error))
      written.push_back(row);
    else
      services_.messageBox.ShowMessage(TagFailureMessage(path, error), "Tempyra");
  }
  if (attempted == 0) services_.messageBox.ShowMessage("No tags were written.", "Tempyra");
  // The "Tag" column shows what the files hold now.
  if (ShowsTags() && !written.empty()) ReadTags(written);
}

void MainDialog::ReadAllTags() {
  std::vector<int> rows(static_cast<size_t>(tracks_.RowCount()));
  for (int row = 0; row < tracks_.RowCount(); ++row) rows[static_cast<size_t>(row)] = row;
  ReadTags(rows);
}

// A disc's tracks have no tags; a half-listed folder has no rows yet.
void MainDialog::ReadTags(const std::vector<int>& rows) {
  if (sourceKind_ != SourceKind::kFolder || listing_ || rows.empty()) return;
  TagReadRequest request;
  request.listing = listingNumber_;
  request.items.reserve(rows.size());
  for (int row : rows) request.items.push_back({row, tracks_.Row(row).fileName, {}});
  if (services_.window.ReadTagsInBackground(request)) return;
  for (TagReadItem& item : request.items)
    item.text = TagTempoText(services_.tagWriter.ReadTempo(item.path));
  OnTagsRead(request);
}

void MainDialog::OnTagsRead(const TagReadRequest& read) {
  if (read.listing != listingNumber_) return;
  applyingTags_ = true;
  for (const TagReadItem& item : read.items) {
    if (item.row < 0 || item.row >= tracks_.RowCount()) continue;
    const TrackRow& values = tracks_.Row(item.row);
    if (values.fileName != item.path || values.tag == item.text) continue;
    tracks_.SetTag(item.row, item.text);
  }
  applyingTags_ = false;
}
