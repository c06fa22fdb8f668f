// The row menu's beat-level fixes and the low-confidence image of a
// precise run: which items the menu offers, what each writes into the
// selected rows (as "Set BPM" writes), and a standard run unchanged.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"

namespace {

// Four MP3 files listed and analysed at 120, 90 and 100 (the third fails);
// in a precise run with the given confidences and runner-up levels.
struct AnalysedRows {
  explicit AnalysedRows(bool precise, std::vector<double> confidences = {},
                        std::vector<double> alternatives = {}) {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) MakeFile(folder.File(name));
    h.dialog.ListFolder(folder.Path());
    h.host.saveAnswers.clear();
    if (precise) h.dialog.OnCommand(kPreciseTempoCommand);
    h.dialog.OnCommand(kGoButton);
    size_t next = 0;
    for (double tempo : {120.0, 90.0, 0.0, 100.0}) {
      if (tempo == 0.0) {
        h.Failed();
        continue;
      }
      h.analysis.confidence = next < confidences.size() ? confidences[next] : std::nan("");
      h.analysis.alternative = next < alternatives.size() ? alternatives[next] : std::nan("");
      ++next;
      h.Done(tempo);
    }
  }
  std::vector<std::string> Labels(int row) {
    std::vector<std::string> labels;
    for (const RowMenuItem& item : h.dialog.RowMenu(row))
      labels.push_back(item.label + (item.enabled ? "" : " (off)"));
    return labels;
  }
  void Select(std::initializer_list<int> rows) {
    for (int row = 0; row < h.dialog.Tracks().RowCount(); ++row)
      h.dialog.OnRowSelected(row, std::find(rows.begin(), rows.end(), row) != rows.end());
  }
  TempFolder folder;
  DialogHarness h;
};

}  // namespace

TEST(RowMenu, AStandardRunOffersTheFourFixesAndNoSecondBest) {
  AnalysedRows a(false);
  // A standard run marks no row as unsure, whatever the analysis says.
  EXPECT_EQ(Images(a.h.dialog.Tracks()), (std::vector<int>{1, 1, 2, 1}));
  EXPECT_EQ(a.Labels(0), (std::vector<std::string>{"Double", "Halve", "x 3/2", "x 2/3"}));
  // The row right-clicked became the only selected one.
  EXPECT_EQ(a.h.dialog.Tracks().SelectedCount(), 1);
  EXPECT_TRUE(a.h.dialog.Tracks().Row(0).selected);
  // A failed row alone: the items are there but off.
  EXPECT_EQ(a.Labels(2), (std::vector<std::string>{"Double (off)", "Halve (off)", "x 3/2 (off)",
                                                   "x 2/3 (off)"}));
}

TEST(RowMenu, EachFixWritesEverySelectedRowWithATempoAsSetBpmDoes) {
  AnalysedRows a(false);
  DialogHarness& h = a.h;
  a.Select({0, 1, 2});
  // The menu on a selected row keeps the selection.
  EXPECT_EQ(a.Labels(1).size(), 4u);
  EXPECT_EQ(h.dialog.Tracks().SelectedCount(), 3);
  h.dialog.OnRowMenuChosen(TempoFix::kDouble);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"240.00", "180.00", "", "100.00"}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{3, 3, 2, 1}));
  h.dialog.OnRowMenuChosen(TempoFix::kHalve);
  h.dialog.OnRowMenuChosen(TempoFix::kTwoThirds);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"80.00", "60.00", "", "100.00"}));
  h.dialog.OnRowMenuChosen(TempoFix::kThreeHalves);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"120.00", "90.00", "", "100.00"}));
  // No second best without a precise run: nothing changes.
  h.dialog.OnRowMenuChosen(TempoFix::kSecondBest);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"120.00", "90.00", "", "100.00"}));
}

TEST(RowMenu, AFixEndsATapSeriesAsSetBpmDoes) {
  AnalysedRows a(false);
  DialogHarness& h = a.h;
  a.Select({3});
  h.host.now = 1000;
  h.dialog.OnCommand(kTapButton);
  h.host.now = 1600;
  h.dialog.OnCommand(kTapButton);
  ASSERT_EQ(h.dialog.TapSeries().intervalCount, 1);
  ASSERT_TRUE(h.dialog.State().Control(kSetBpmButton).enabled);
  h.dialog.OnRowMenuChosen(TempoFix::kHalve);
  EXPECT_EQ(h.dialog.TapSeries().seriesStart, 0u);
  EXPECT_EQ(h.dialog.TapSeries().proposedBpm, 0.0);
  EXPECT_FALSE(h.dialog.State().Control(kSetBpmButton).enabled);
  EXPECT_EQ(h.dialog.Tracks().Row(3).bpm, "50.00");
}

TEST(RowMenu, APreciseRunOffersEachRowsSecondBestAndMarksLowConfidence) {
  AnalysedRows a(true, {0.95, 0.55, 0.80}, {240.0, 135.0, std::nan("")});
  DialogHarness& h = a.h;
  // 0.55 is below the threshold, 0.80 is not.
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{1, 5, 2, 1}));
  EXPECT_EQ(a.Labels(1), (std::vector<std::string>{"Double", "Halve", "x 3/2", "x 2/3",
                                                   "Second Best Level: 135.00"}));
  // A row without a runner-up level has no such item.
  EXPECT_EQ(a.Labels(3).size(), 4u);
  // Chosen over two rows, each takes its own; the row without one keeps
  // its tempo, and the level left becomes the second best.
  a.Select({0, 1, 3});
  EXPECT_EQ(a.Labels(0).back(), "Second Best Level: 240.00");
  h.dialog.OnRowMenuChosen(TempoFix::kSecondBest);
  EXPECT_EQ(BpmTexts(h.dialog.Tracks()),
            (std::vector<std::string>{"240.00", "135.00", "", "100.00"}));
  EXPECT_EQ(Images(h.dialog.Tracks()), (std::vector<int>{3, 3, 2, 1}));
  EXPECT_EQ(a.Labels(1).back(), "Second Best Level: 90.00");
}

TEST(RowMenu, NoMenuDuringARunOrWithoutRows) {
  DialogHarness empty;
  EXPECT_TRUE(empty.dialog.RowMenu(-1).empty());
  TempFolder folder;
  MakeFile(folder.File("a.mp3"));
  DialogHarness h;
  h.dialog.ListFolder(folder.Path());
  h.dialog.OnCommand(kGoButton);
  ASSERT_TRUE(h.dialog.AnalysisRunning());
  EXPECT_TRUE(h.dialog.RowMenu(0).empty());
  h.dialog.OnRowMenuChosen(TempoFix::kDouble);
  h.host.saveAnswers.clear();
  h.Done(100.0);
  EXPECT_EQ(h.dialog.Tracks().Row(0).bpm, "100.00");
  // The context-menu key with nothing selected: no menu either.
  EXPECT_TRUE(h.dialog.RowMenu(-1).empty());
  EXPECT_EQ(h.dialog.RowMenu(5).size(), 0u);
}

TEST(BeatLevelFixes, TempiAndLabels) {
  EXPECT_DOUBLE_EQ(*FixedTempo(TempoFix::kThreeHalves, 85.0, std::nullopt), 127.5);
  EXPECT_DOUBLE_EQ(*FixedTempo(TempoFix::kTwoThirds, 180.0, std::nullopt), 120.0);
  EXPECT_FALSE(FixedTempo(TempoFix::kSecondBest, 85.0, std::nullopt));
  EXPECT_FALSE(FixedTempo(TempoFix::kDouble, 0.0, std::nullopt));
  EXPECT_FALSE(FixedTempo(TempoFix::kDouble, std::nan(""), std::nullopt));
  EXPECT_EQ(FixLabel(TempoFix::kSecondBest, 63.999), "Second Best Level: 64.00");
}
