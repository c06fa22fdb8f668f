// The two Project menu items beyond the original menu: "Write BPM Tags"
// (the rows' tempi into their files' tags) and "Precise Tempo" (the
// estimator a run uses).
#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"

namespace {

// A folder of three MP3 files listed, the first analysed at 127.856 and the
// third at 90.5; the second failed.
struct AnalysedHarness {
  AnalysedHarness() {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) MakeFile(folder.File(name));
    h.dialog.ListFolder(folder.Path());
    h.host.saveAnswers.clear();
    h.dialog.OnCommand(kGoButton);
    h.Done(127.856);
    h.Failed();
    h.Done(90.5);
  }
  TempFolder folder;
  DialogHarness h;
};

}  // namespace

TEST(WriteTempoTags, SelectedRowsWithATempoGetItWithTheSpinnersDecimals) {
  AnalysedHarness a;
  DialogHarness& h = a.h;
  for (int row = 0; row < 3; ++row) h.dialog.OnRowSelected(row, true);
  h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);
  h.dialog.OnCommand(kWriteTagsCommand);
  // The row shows 127.86: that value is written, not the estimator's.
  ASSERT_EQ(h.tags.calls.size(), 2u);
  EXPECT_EQ(h.tags.calls[0].path, a.folder.File("a.mp3"));
  EXPECT_DOUBLE_EQ(h.tags.calls[0].bpm, 127.86);
  EXPECT_EQ(h.tags.calls[0].decimals, 1);
  EXPECT_EQ(h.tags.calls[1].path, a.folder.File("c.mp3"));
  EXPECT_DOUBLE_EQ(h.tags.calls[1].bpm, 90.5);
  EXPECT_TRUE(h.host.messages.empty());
  // The list is left as it was.
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()), (std::vector<std::string>{"127.86", "", "90.50"}));
}

TEST(WriteTempoTags, EachFailureHasItsMessageAndTheWalkGoesOn) {
  AnalysedHarness a;
  DialogHarness& h = a.h;
  h.dialog.OnRowSelected(0, true);
  h.dialog.OnRowSelected(2, true);
  h.tags.refused.insert(a.folder.File("a.mp3"));
  h.dialog.OnCommand(kWriteTagsCommand);
  EXPECT_EQ(h.tags.calls.size(), 2u);
  ASSERT_EQ(h.host.messages.size(), 1u);
  // The writer's reason on a line of its own.
  EXPECT_EQ(h.host.messages[0].text,
            "Unable to write the BPM tag!\n" + a.folder.File("a.mp3") + "\nRefused.");
  EXPECT_EQ(h.host.messages[0].caption, "Tempyra");
}

TEST(WriteTempoTags, NothingSelectedOrNoTempoSaysNoTagsWereWritten) {
  AnalysedHarness a;
  DialogHarness& h = a.h;
  h.dialog.OnCommand(kWriteTagsCommand);  // the run left every row deselected
  h.dialog.OnRowSelected(1, true);        // the failed row: no tempo to write
  h.dialog.OnCommand(kWriteTagsCommand);
  EXPECT_TRUE(h.tags.calls.empty());
  ASSERT_EQ(h.host.messages.size(), 2u);
  for (const ShownMessage& m : h.host.messages) {
    EXPECT_EQ(m.text, "No tags were written.");
    EXPECT_EQ(m.caption, "Tempyra");
  }
}

TEST(WriteTempoTags, GreyedDuringARunAndSilentForADisc) {
  TempFolder t;
  MakeFile(t.File("a.mp3"));
  DialogHarness h(false);
  h.drives.InsertDisc(h.drives.AddDrive("drive", "/dev/sr0"), FakeDisc::Audio(2));
  h.dialog.OnInitDialog();
  h.dialog.ListFolder(t.Path());
  h.dialog.OnCommand(kGoButton);
  EXPECT_FALSE(h.dialog.State().MenuEnabled(kWriteTagsCommand));
  h.dialog.OnCommand(kWriteTagsCommand);  // a greyed item does nothing
  h.Done(120.0);
  EXPECT_TRUE(h.dialog.State().MenuEnabled(kWriteTagsCommand));
  EXPECT_TRUE(h.tags.calls.empty());
  EXPECT_TRUE(h.host.messages.empty());

  // A disc listing: nothing written and nothing said, tempo or not.
  h.dialog.OnDriveChosen(0);
  h.dialog.OnCommand(kWriteTagsCommand);
  EXPECT_TRUE(h.tags.calls.empty());
  EXPECT_TRUE(h.host.messages.empty());
}

TEST(PreciseTempo, OffAtStartToggledByItsItemAndFixedForAWholeRun) {
  TempFolder t;
  for (const char* name : {"a.mp3", "b.mp3"}) MakeFile(t.File(name));
  DialogHarness h;
  EXPECT_FALSE(h.dialog.State().MenuChecked(kPreciseTempoCommand));
  h.dialog.ListFolder(t.Path());
  h.dialog.OnCommand(kGoButton);
  EXPECT_FALSE(h.analysis.precise);

  // Toggled during a run: the item stays usable, the run keeps its choice.
  EXPECT_TRUE(h.dialog.State().MenuEnabled(kPreciseTempoCommand));
  h.dialog.OnCommand(kPreciseTempoCommand);
  EXPECT_TRUE(h.dialog.State().MenuChecked(kPreciseTempoCommand));
  EXPECT_FALSE(h.analysis.precise);
  h.Done(120.0);
  h.Done(121.0);
  EXPECT_EQ(h.analysis.started.size(), 2u);

  h.dialog.OnRowSelected(0, true);
  h.dialog.OnRowSelected(1, true);
  h.dialog.OnCommand(kGoButton);  // both rows show tempi: nothing to analyse
  EXPECT_TRUE(h.analysis.precise);
  h.dialog.OnCommand(kPreciseTempoCommand);
  EXPECT_FALSE(h.dialog.State().MenuChecked(kPreciseTempoCommand));
}
