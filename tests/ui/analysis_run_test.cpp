// Analysis runs through the dialog logic with a scripted analysis: which
// rows are queued and started, the status line, results with the Min./Max.
// folding, failures, rows passed over, and the progress bar.
#include <gtest/gtest.h>

#include "engine/analysis_job.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/progress_rule.h"

namespace {

// A harness with the given files listed from a temporary folder.
struct ListedHarness {
  explicit ListedHarness(std::initializer_list<const char*> names) {
    for (const char* name : names) MakeFile(folder.File(name));
    h.dialog.ListFolder(folder.Path());
  }
  TempFolder folder;
  DialogHarness h;
};

std::string RunTempo(double tempo, int minimum, int maximum) {
  ListedHarness l({"a.mp3"});
  if (minimum > 0) l.h.dialog.OnUpDownStep(kMinTempoUpDown, minimum - 30);
  if (maximum > 0) l.h.dialog.OnUpDownStep(kMaxTempoUpDown, maximum - 240);
  l.h.dialog.OnCommand(kGoButton);
  l.h.Done(tempo);
  return l.h.dialog.Tracks().Row(0).bpm;
}

}  // namespace

TEST(AnalysisRun, GoWithoutASelectionShowsTheMessageAndChangesNothing) {
  ListedHarness l({"a.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnRowSelected(0, false);
  h.dialog.OnCommand(kGoButton);
  ASSERT_EQ(h.host.messages.size(), 1u);
  EXPECT_EQ(h.host.messages[0].text, "You must first select one or more files for analysis!");
  EXPECT_EQ(h.host.messages[0].caption, "Unable to proceed...");
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_TRUE(h.dialog.State().Control(kGoButton).enabled);
  EXPECT_TRUE(h.analysis.started.empty());
  EXPECT_TRUE(h.host.saveRequests.empty());
  EXPECT_EQ(h.dialog.Tracks().Row(0).itemData, 0);  // as listed: its index
}

TEST(AnalysisRun, OnlyRowsWithTempiSelectedEndsTheRunAtOnce) {
  ListedHarness l({"a.mp3", "b.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  h.Done(120.0);
  h.Done(121.0);
  ASSERT_EQ(h.host.saveRequests.size(), 1u);
  h.dialog.OnRowSelected(0, true);
  h.dialog.OnRowSelected(1, true);

  h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(h.analysis.started.size(), 2u);   // nothing new started
  EXPECT_EQ(h.host.saveRequests.size(), 2u);  // the log was offered at once
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(h.dialog.Tracks().SelectedCount(), 0);
  EXPECT_EQ(h.dialog.Tracks().Row(0).itemData, 0);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"120.00", "121.00"}));
}

TEST(AnalysisRun, RowsAreAnalysedInOrderWithTheStatusLineShowingEach) {
  ListedHarness l({"a.mp3", "b.mp3", "c.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnRowSelected(1, false);
  h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(h.analysis.started, (std::vector<std::string>{l.folder.File("a.mp3")}));
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, l.folder.File("a.mp3"));
  EXPECT_EQ(h.dialog.CurrentRow(), 0);
  EXPECT_EQ(h.dialog.Tracks().SelectedCount(), 0);
  h.Done(127.856);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, l.folder.File("c.mp3"));
  h.Done(90.0);
  EXPECT_EQ(h.analysis.started,
            (std::vector<std::string>{l.folder.File("a.mp3"), l.folder.File("c.mp3")}));
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"127.86", "", "90.00"}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, "");
  EXPECT_EQ(h.analysis.estimates, 2);
  // The BPM column was fitted after each result.
  EXPECT_EQ(std::count(h.host.fittedColumns.begin(), h.host.fittedColumns.end(), 0), 4);
}

TEST(AnalysisRun, AnUnreadableSecondFileIsMarkedFailedAndTheRunGoesOn) {
  ListedHarness l({"a.mp3", "b.mp3", "c.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  h.Done(120.0);
  h.Failed();
  h.Done(130.0);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"120.00", "", "130.00"}));
  EXPECT_FALSE(h.dialog.AnalysisRunning());
}

TEST(AnalysisRun, AJobThatCannotStartFailsItsRowAtOnce) {
  ListedHarness l({"a.mp3", "b.mp3", "c.mp3"});
  DialogHarness& h = l.h;
  h.analysis.refused = {l.folder.File("a.mp3"), l.folder.File("b.mp3")};
  h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(h.dialog.CurrentRow(), 2);
  EXPECT_EQ(h.dialog.State().Control(kStatusLine).text, l.folder.File("c.mp3"));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{2, 2, 0}));
  h.Done(100.0);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{2, 2, 1}));
}

TEST(AnalysisRun, ANonFiniteTempoIsAFailedRowNeverNan) {
  ListedHarness l({"short.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  h.Done(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{""}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{2}));
  EXPECT_FALSE(h.dialog.AnalysisRunning());
}

TEST(AnalysisRun, WavRowsArePassedOverAndCapitalMp3IsAnalysed) {
  ListedHarness l({"A.MP3", "b.wav", "c.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  h.Done(120.0);
  // b.wav was passed over without a job: the next job is c.mp3.
  EXPECT_EQ(h.analysis.started,
            (std::vector<std::string>{l.folder.File("A.MP3"), l.folder.File("c.mp3")}));
  h.Done(121.0);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"120.00", "", "121.00"}));
  EXPECT_FALSE(h.dialog.Tracks().Row(1).selected);
  EXPECT_EQ(h.dialog.Tracks().Row(1).itemData, 1);  // queued, passed over
}

TEST(AnalysisRun, EveryRowOfADiscIsPassedOver) {
  DialogHarness h(false);
  h.drives.InsertDisc(h.drives.AddDrive("drive", "/dev/sr0"), FakeDisc::Audio(2));
  h.dialog.OnInitDialog();
  h.dialog.OnDriveChosen(0);
  h.dialog.OnCommand(kGoButton);
  EXPECT_TRUE(h.analysis.started.empty());
  EXPECT_FALSE(h.dialog.AnalysisRunning());
  EXPECT_EQ(h.host.saveRequests.size(), 1u);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{0, 0}));
}

TEST(AnalysisRun, AFailedRowIsAnalysedAgainWhenSelected) {
  ListedHarness l({"a.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  h.Failed();
  h.dialog.OnRowSelected(0, true);
  h.dialog.OnCommand(kGoButton);
  EXPECT_EQ(h.analysis.started.size(), 2u);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{0}));  // waiting again
  h.Done(99.0);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1}));
}

TEST(AnalysisRun, FoldingIntoTheMinimumAndMaximum) {
  EXPECT_EQ(RunTempo(70.3, 80, 0), "140.60");
  EXPECT_EQ(RunTempo(250.0, 0, 240), "125.00");
  EXPECT_EQ(RunTempo(70.0, 100, 120), "70.00");  // doubled to 140, halved back
  EXPECT_EQ(RunTempo(127.856, 0, 0), "127.86");
  EXPECT_EQ(RunTempo(0.0, 80, 0), "0.00");  // only positive tempi are folded
}

TEST(AnalysisRun, ALimitSwitchedOffIsNotApplied) {
  ListedHarness l({"a.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnUpDownStep(kMinTempoUpDown, 50);  // 80, box checked
  h.dialog.OnCheckBoxClicked(kMinTempoBox, false);
  h.dialog.OnCommand(kGoButton);
  h.Done(70.3);
  EXPECT_EQ(h.dialog.Tracks().Row(0).bpm, "70.30");
}

TEST(ProgressRule, TheBarNeverMovesBackWithinAFile) {
  ProgressBarState bar{100, 0};
  EXPECT_TRUE(ApplyProgressReport(bar, 0, 1000));
  EXPECT_EQ(bar, (ProgressBarState{1000, 0}));
  EXPECT_TRUE(ApplyProgressReport(bar, 40, 1000));
  EXPECT_EQ(bar, (ProgressBarState{1000, 40}));
  EXPECT_TRUE(ApplyProgressReport(bar, 80, 990));
  EXPECT_EQ(bar, (ProgressBarState{990, 80}));
  EXPECT_FALSE(ApplyProgressReport(bar, 120, 2000));  // 120/2000 < 80/990
  EXPECT_EQ(bar, (ProgressBarState{990, 80}));
  // After a file the bar is reset to 0 of 0 and takes any first report.
  bar = {0, 0};
  EXPECT_TRUE(ApplyProgressReport(bar, 5, 2000));
  EXPECT_EQ(bar, (ProgressBarState{2000, 5}));
}

TEST(ProgressRule, TheDialogFollowsTheMessagesWithoutASteadyPosition) {
  ListedHarness l({"a.mp3", "b.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  const ProgressBarState& bar = h.dialog.State().progressBar;
  for (auto [w, n] : {std::pair{0, 1000}, {40, 1000}, {80, 990}, {120, 2000}})
    h.dialog.OnAnalysisMessage(AnalysisJob::kAnalysisProgress, static_cast<uintptr_t>(w), n);
  EXPECT_EQ(bar, (ProgressBarState{990, 80}));
  h.Done(120.0);
  EXPECT_EQ(bar, (ProgressBarState{0, 0}));  // reset for the next file
  h.dialog.OnAnalysisMessage(AnalysisJob::kAnalysisProgress, 40, 100);
  EXPECT_EQ(bar, (ProgressBarState{100, 40}));
  h.Failed();
  EXPECT_EQ(bar, (ProgressBarState{0, 0}));
}

// The block counts of the messages wrap after 65,535 blocks and their
// estimated total jumps on VBR files; the dialog follows the analysis'
// steady read position in bytes instead.
TEST(ProgressRule, TheDialogFollowsTheSteadyPositionWhereThereIsOne) {
  ListedHarness l({"long.mp3"});
  DialogHarness& h = l.h;
  h.dialog.OnCommand(kGoButton);
  const ProgressBarState& bar = h.dialog.State().progressBar;
  h.analysis.position = {3'000'000, 100'000'000};
  h.dialog.OnAnalysisMessage(AnalysisJob::kAnalysisProgress, 65'520, 70'000);
  EXPECT_EQ(bar, (ProgressBarState{100'000'000, 3'000'000}));
  // The block index wrapped to 24 and the estimate jumped: no effect on the bar.
  h.analysis.position = {3'100'000, 100'000'000};
  h.dialog.OnAnalysisMessage(AnalysisJob::kAnalysisProgress, 24, 140'000);
  EXPECT_EQ(bar, (ProgressBarState{100'000'000, 3'100'000}));
}

TEST(AnalysisRun, MessagesOutsideARunAreIgnored) {
  ListedHarness l({"a.mp3"});
  DialogHarness& h = l.h;
  h.Done(120.0);
  h.Failed();
  h.dialog.OnAnalysisMessage(AnalysisJob::kAnalysisProgress, 40, 100);
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{0}));
  EXPECT_EQ(h.dialog.State().progressBar, (ProgressBarState{100, 0}));
}
