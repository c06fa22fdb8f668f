// The main dialog's logic without a display: its opening, the commands that
// end it, the controls' own behaviour, and what a run disables.
#include "ui/main_dialog.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"

TEST(MainDialogOpening, ControlsStartAtTheirDefaults) {
  DialogHarness h;
  const DialogState& s = h.dialog.State();
  for (int id : {kRenameRadio, kRenameAtBeginningRadio, kDuplicateAtBeginningRadio})
    EXPECT_TRUE(s.Control(id).checked) << id;
  for (int id :
       {kDuplicateRadio, kRenameAtEndRadio, kDuplicateAtEndRadio, kMinTempoBox, kMaxTempoBox})
    EXPECT_FALSE(s.Control(id).checked) << id;
  EXPECT_EQ(s.Control(kMinTempoValue).text, "30");
  EXPECT_EQ(s.Control(kMaxTempoValue).text, "240");
  EXPECT_EQ(s.Control(kDecimalPlacesValue).text, "0");
  EXPECT_EQ(s.UpDown(kMinTempoUpDown).lower, 30);
  EXPECT_EQ(s.UpDown(kMinTempoUpDown).upper, 120);
  EXPECT_EQ(s.UpDown(kMinTempoUpDown).position, 30);
  EXPECT_EQ(s.UpDown(kMaxTempoUpDown).lower, 120);
  EXPECT_EQ(s.UpDown(kMaxTempoUpDown).upper, 240);
  EXPECT_EQ(s.UpDown(kMaxTempoUpDown).position, 240);
  EXPECT_EQ(s.UpDown(kDecimalPlacesUpDown).lower, 0);
  EXPECT_EQ(s.UpDown(kDecimalPlacesUpDown).upper, 2);
  EXPECT_EQ(s.UpDown(kDecimalPlacesUpDown).position, 0);

  EXPECT_EQ(s.Control(kTapButton).text, "Tap Beat Here");
  EXPECT_FALSE(s.Control(kTapButton).enabled);
  EXPECT_EQ(s.Control(kSetBpmButton).text, "BPM = ???");
  EXPECT_FALSE(s.Control(kSetBpmButton).enabled);
  EXPECT_TRUE(s.Control(kGoButton).enabled);
  EXPECT_EQ(s.Control(kGoButton).text, "Go!");
  EXPECT_EQ(s.Control(kSourcePath).text, "");
  EXPECT_EQ(s.Control(kStatusLine).text, "");
  for (int command : {32771, 32772, 32773, 32774, 32775, 32776, 32777, 32778, 32780}) {
    EXPECT_TRUE(s.MenuEnabled(command)) << command;
  }

  EXPECT_EQ(h.dialog.Tracks().RowCount(), 0);
  EXPECT_EQ(h.dialog.Source(), SourceKind::kNothing);
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_TRUE(s.driveNames.empty());
  EXPECT_EQ(s.driveSelection, -1);
  // Both columns fit their headers.
  EXPECT_EQ(h.host.fittedColumns, (std::vector<int>{0, 1}));
}

TEST(MainDialogOpening, TheDriveBoxListsTheDrivesWhoseQuerySucceeds) {
  DialogHarness h(false);
  h.drives.AddDrive("HL-DT-ST DVDRAM (/dev/sr0)", "/dev/sr0");
  h.drives.FailQuery(h.drives.AddDrive("broken", "/dev/sr1"));  // no entry
  h.drives.AddDrive("ASUS BW-16D1HT (/dev/sr2)", "/dev/sr2");
  h.dialog.OnInitDialog();
  EXPECT_EQ(h.dialog.State().driveNames,
            (std::vector<std::string>{"HL-DT-ST DVDRAM (/dev/sr0)", "ASUS BW-16D1HT (/dev/sr2)"}));
  EXPECT_EQ(h.dialog.State().driveSelection, -1);
}

TEST(MainDialogEnding, ExitEscapeEnterAndTheCloseBoxEndTheDialog) {
  DialogHarness h;
  for (int command : {int{kExitButton}, int{kExitCommand}, int{kOkCommand}, int{kCancelCommand}})
    h.dialog.OnCommand(command);
  EXPECT_EQ(h.host.endDialogCalls, 4);
}

TEST(MainDialogControls, RadioButtonsAreExclusiveWithinTheirGroup) {
  DialogHarness h;
  h.dialog.OnRadioButtonClicked(kDuplicateRadio);
  h.dialog.OnRadioButtonClicked(kRenameAtEndRadio);
  const DialogState& s = h.dialog.State();
  EXPECT_FALSE(s.Control(kRenameRadio).checked);
  EXPECT_TRUE(s.Control(kDuplicateRadio).checked);
  EXPECT_FALSE(s.Control(kRenameAtBeginningRadio).checked);
  EXPECT_TRUE(s.Control(kRenameAtEndRadio).checked);
  // The third group is untouched.
  EXPECT_TRUE(s.Control(kDuplicateAtBeginningRadio).checked);
  EXPECT_FALSE(s.Control(kDuplicateAtEndRadio).checked);
}

TEST(MainDialogControls, UpDownsStayInRangeAndTempoOnesSwitchTheirLimitOn) {
  DialogHarness h;
  const DialogState& s = h.dialog.State();
  h.dialog.OnUpDownStep(kMinTempoUpDown, -1);  // already at 30
  EXPECT_EQ(s.UpDown(kMinTempoUpDown).position, 30);
  EXPECT_TRUE(s.Control(kMinTempoBox).checked);
  EXPECT_FALSE(s.Control(kMaxTempoBox).checked);
  h.dialog.OnUpDownStep(kMinTempoUpDown, 500);
  EXPECT_EQ(s.UpDown(kMinTempoUpDown).position, 120);
  EXPECT_EQ(s.Control(kMinTempoValue).text, "120");

  h.dialog.OnUpDownStep(kMaxTempoUpDown, -1);
  EXPECT_EQ(s.Control(kMaxTempoValue).text, "239");
  EXPECT_TRUE(s.Control(kMaxTempoBox).checked);

  h.dialog.OnCheckBoxClicked(kMinTempoBox, false);
  EXPECT_FALSE(s.Control(kMinTempoBox).checked);

  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);
  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);
  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);
  EXPECT_EQ(s.UpDown(kDecimalPlacesUpDown).position, 2);
  EXPECT_EQ(s.Control(kDecimalPlacesValue).text, "2");
  EXPECT_FALSE(s.Control(kMinTempoBox).checked);  // decimals switch no limit on
}

TEST(MainDialogControls, InvertSelectionFlipsEveryRow) {
  TempFolder t;
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) MakeFile(t.File(name));
  DialogHarness h;
  h.dialog.ListFolder(t.Path());
  h.dialog.OnRowSelected(1, false);
  h.dialog.OnRowSelected(2, false);
  h.dialog.OnCommand(kInvertButton);
  const TrackList& tracks = h.dialog.Tracks();
  EXPECT_FALSE(tracks.Row(0).selected);
  EXPECT_TRUE(tracks.Row(1).selected);
  EXPECT_TRUE(tracks.Row(2).selected);
  EXPECT_EQ(tracks.SelectedCount(), 2);
}

TEST(MainDialogRun, WhileRunningExactlyTheRunSensitiveControlsAreDisabled) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(t.Path());
  h.dialog.OnCommand(kGoButton);
  ASSERT_TRUE(h.dialog.AnalysisRunning());
  const DialogState& s = h.dialog.State();
  for (int id : {1026, 1004, 1005, 1037, 1001, 1008, 1006, 1009, 1007, 1011, 1031, 1032, 1033, 1034,
                 1035, 1036, 1038, 1039, 1040})
    EXPECT_FALSE(s.Control(id).enabled) << id;
  for (int id : {1000, 1003, 1012, 1023, 1024, 1025}) EXPECT_TRUE(s.Control(id).enabled) << id;
  for (int command : {32771, 32772, 32777, 32778}) EXPECT_FALSE(s.MenuEnabled(command)) << command;
  for (int command : {32773, 32774, 32775, 32776, 32780})
    EXPECT_TRUE(s.MenuEnabled(command)) << command;

  // Disabled commands do nothing: no second run, no folder browser.
  h.dialog.OnCommand(kAnalyzeFilesCommand);
  h.dialog.OnCommand(kBrowseFolderCommand);
  EXPECT_EQ(h.analysis.started.size(), 1u);
  EXPECT_TRUE(h.host.folderTitles.empty());
  // Invert Selection and Exit still work.
  h.dialog.OnCommand(kInvertButton);
  EXPECT_EQ(h.dialog.Tracks().SelectedCount(), 1);
  h.dialog.OnCommand(kExitButton);
  EXPECT_EQ(h.host.endDialogCalls, 1);

  h.Done(128.0);  // ends the run; the save dialog is cancelled
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  for (int id : {1026, 1004, 1005, 1037, 1001, 1008, 1006, 1009, 1007, 1011, 1031, 1032, 1033, 1034,
                 1035, 1036, 1038, 1039})
    EXPECT_TRUE(s.Control(id).enabled) << id;
  for (int command : {32771, 32772, 32777, 32778}) EXPECT_TRUE(s.MenuEnabled(command)) << command;
  // The tap button comes back only with exactly one row selected: the one
  // the user selected during the run.
  EXPECT_TRUE(s.Control(kTapButton).enabled);
}

TEST(MainDialogRun, TheTapButtonStaysOffWhenMoreOrFewerThanOneRowIsSelected) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(t.Path());
  h.dialog.OnCommand(kGoButton);
  h.Done(128.0);
  EXPECT_FALSE(h.dialog.State().Control(kTapButton).enabled);  // no row selected
}
