// Identifiers of the main dialog: its resources, its controls and its menu
// commands. They are the dialog logic's own names for these things, the same
// numbers on every toolkit; each toolkit maps them to identifiers of its own
// where it must (wxWidgets wants window and menu ids below 32767, so ui/wx/
// maps the command ids).
#pragma once

// Resources: the dialog template, its menu, the icons and the About string.
enum ResourceId : int {
  kAboutMenuString = 101,
  kMainDialogTemplate = 102,
  kApplicationIcon = 128,
  kMainMenu = 133,
};

// Controls of the main dialog, in the numbering of the dialog template. The
// prompt at the top has no id of its own (-1).
enum ControlId : int {
  kPromptText = -1,
  kSourcePath = 1000,
  kBrowseButton = 1001,
  kTrackListView = 1003,
  kRenameRadio = 1004,
  kDuplicateRadio = 1005,
  kRenameAtBeginningRadio = 1006,
  kRenameAtEndRadio = 1007,
  kDuplicateAtBeginningRadio = 1008,
  kDuplicateAtEndRadio = 1009,
  kGoButton = 1011,
  kExitButton = 1012,
  kProgressBar = 1023,
  kStatusLine = 1024,
  kInvertButton = 1025,
  kDriveBox = 1026,
  kMinTempoBox = 1031,
  kMaxTempoBox = 1032,
  kMinTempoUpDown = 1033,
  kMaxTempoUpDown = 1034,
  kMinTempoValue = 1035,
  kMaxTempoValue = 1036,
  kDecimalPlacesUpDown = 1037,
  kDecimalPlacesValue = 1038,
  kDecimalPlacesLabel = 1039,
  kTapButton = 1040,
  kSetBpmButton = 1041,
};

// The first and last control id; the controls' state is kept by id.
constexpr int kFirstControlId = kSourcePath;
constexpr int kLastControlId = kSetBpmButton;

// Commands: the dialog's own OK and Cancel (Enter, Escape and the close box
// end the dialog through them) and the items of the menu bar.
enum CommandId : int {
  kOkCommand = 1,
  kCancelCommand = 2,
  kBrowseFolderCommand = 32771,
  kRefreshCdCommand = 32772,
  kExitCommand = 32773,
  kHelpCommand = 32774,
  kTutorialCommand = 32775,
  kAboutCommand = 32776,
  kAnalyzeFilesCommand = 32777,
  kRenameFilesCommand = 32778,
  kEulaCommand = 32780,
  // Beyond the original menu: the tempo into the files' tags, and the
  // choice of the precise estimator.
  kWriteTagsCommand = 32781,
  kPreciseTempoCommand = 32782,
  // Checkable choices for large libraries, each off at start: listing and
  // analysing every audio format FFmpeg decodes; the "Tag" column with the
  // tempo already in each file's tag; a run taking that tempo instead of
  // analysing a tagged file.
  kAllFormatsCommand = 32783,
  kShowTagsCommand = 32784,
  kSkipTaggedCommand = 32785,
  // A run analysing as many files at once as the machine has cores.
  kUseAllCoresCommand = 32786,
};

constexpr int kFirstMenuCommand = kBrowseFolderCommand;
constexpr int kLastMenuCommand = kUseAllCoresCommand;
