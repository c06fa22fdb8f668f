// Tap tempo through the dialog logic, with a clock and a timer the test
// drives: the button texts and states, the timer's periods, the rhythm
// test, the snapping to half, double and two thirds of the row's tempo,
// the end of a series, writing the proposal, the reset on every change of
// the list, and ticks that wrap round.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>

#include "tests/support/temp_folder.h"
#include "tests/ui/dialog_harness.h"
#include "ui/tap_tempo.h"

namespace {

// A dialog with rows a.mp3, b.mp3 and c.mp3 listed and only the first
// selected; its BPM text is `bpm`.
struct TapHarness {
  explicit TapHarness(const std::string& bpm = "") {
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) MakeFile(folder.File(name));
    h.dialog.ListFolder(folder.Path());
    h.dialog.OnRowSelected(1, false);
    h.dialog.OnRowSelected(2, false);
    if (!bpm.empty()) h.dialog.Tracks().SetBpm(0, bpm);
  }

  // Taps at the given ticks.
  void TapAt(std::initializer_list<uint32_t> ticks) {
    for (uint32_t tick : ticks) {
      h.host.now = tick;
      h.dialog.OnCommand(kTapButton);
    }
  }

  // Fires the timer, as the window does when it runs out.
  void FireTimer() {
    ASSERT_TRUE(h.host.timerPeriod.has_value()) << "the timer is not armed";
    h.host.timerPeriod.reset();
    h.dialog.OnTimer();
  }

  const ControlState& SetBpmButton() const { return h.dialog.State().Control(kSetBpmButton); }
  const ControlState& TapButton() const { return h.dialog.State().Control(kTapButton); }

  TempFolder folder;
  DialogHarness h;
};

}  // namespace

TEST(TapTempo, TheButtonsBeforeAnyTap) {
  DialogHarness fresh;
  EXPECT_EQ(fresh.dialog.State().Control(kSetBpmButton).text, "BPM = ???");
  EXPECT_FALSE(fresh.dialog.State().Control(kTapButton).enabled);

  TapHarness t;
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");  // the listing changed the rows
  EXPECT_FALSE(t.SetBpmButton().enabled);
  EXPECT_TRUE(t.TapButton().enabled);  // exactly one row selected
}

TEST(TapTempo, TheFirstTapStartsASeriesWithoutAProposal) {
  TapHarness t;
  t.TapAt({10000});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);
  EXPECT_FALSE(t.h.host.timerPeriod.has_value());
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 10000u);
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 0);
}

TEST(TapTempo, TwoTaps500MillisecondsApartOnARowWithoutTempo) {
  TapHarness t;
  t.TapAt({10000, 10500});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
  EXPECT_TRUE(t.SetBpmButton().enabled);
  EXPECT_EQ(t.h.host.timerPeriod, 950u);
  EXPECT_DOUBLE_EQ(t.h.dialog.TapSeries().proposedBpm, 120.0);
}

TEST(TapTempo, TheSameTapsSnapToHalfTheRowsTempo) {
  TapHarness at240("240");
  at240.TapAt({10000, 10500});
  EXPECT_EQ(at240.SetBpmButton().text, "Set BPM = *120.00*");

  TapHarness at250("250.00");
  at250.TapAt({10000, 10500});
  EXPECT_EQ(at250.SetBpmButton().text, "Set BPM = *125.00*");  // half of 250, not 120
  EXPECT_DOUBLE_EQ(at250.h.dialog.TapSeries().proposedBpm, 125.0);
}

// The rules in their order, with the tolerances as fractions of the row's
// tempo L, not of the target.
TEST(TapTempo, SnappingToHalfDoubleAndTwoThirds) {
  EXPECT_EQ(ProposeTempo(178, 90).bpm, 180.0);  // |178 - 180| < 18
  EXPECT_TRUE(ProposeTempo(178, 90).corrected);
  const TapProposal twoThirds = ProposeTempo(82, 120);  // |82 - 60| = 22 is not below 12
  EXPECT_TRUE(twoThirds.corrected);
  EXPECT_EQ(SetBpmText(twoThirds), "Set BPM = *80.00*");
  // Near L itself, or without a tempo in the row: as tapped.
  EXPECT_FALSE(ProposeTempo(121, 120).corrected);
  EXPECT_EQ(ProposeTempo(121, 120).bpm, 121.0);
  EXPECT_FALSE(ProposeTempo(120, 0).corrected);
  // Strict comparisons: exactly 0.1 L away from L/2 is not near it (160
  // keeps 0.1 L exact in binary).
  EXPECT_FALSE(ProposeTempo(64, 160).corrected);
  EXPECT_TRUE(ProposeTempo(64.1, 160).corrected);
  // Half is tested before two thirds: 70 lies within both windows of 120.
  EXPECT_EQ(ProposeTempo(70, 120).bpm, 60.0);
  // A negative or non-numeric tempo corrects nothing.
  EXPECT_FALSE(ProposeTempo(60, -120).corrected);
}

TEST(TapTempo, ARowAt90AndTapsNear178GiveItsDouble) {
  TapHarness t("90.00");
  t.TapAt({20000, 20337});  // 178.04 per minute
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = *180.00*");
}

TEST(TapTempo, TheTempoIsTheAverageOfTheWholeSeries) {
  TapHarness t;
  t.TapAt({1000, 1400, 2000});  // intervals 400 and 600: 500 on average
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
  EXPECT_EQ(t.h.host.timerPeriod, 1140u);  // 1.9 times the last interval
}

TEST(TapTempo, ATapLaterThanTheRhythmAllowsStartsANewSeries) {
  TapHarness t;
  t.TapAt({1000, 1400, 2000});
  EXPECT_EQ(t.h.host.timerPeriod, 1140u);  // armed, not fired yet at 3000
  t.TapAt({3000});                         // 1000 > 1.9 x 500
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);
  EXPECT_FALSE(t.h.host.timerPeriod.has_value());
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 3000u);
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 0);
  t.TapAt({3500});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
}

TEST(TapTempo, ATapExactlyAtTheRhythmLimitIsAccepted) {
  TapHarness t;
  t.TapAt({1000, 1500, 2000, 2950});  // 950 = 1.9 x 500
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 3);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 92.31");  // 60000 / 650
}

TEST(TapTempo, TheFirstTwoIntervalsAreNotTested) {
  TapHarness t;
  t.TapAt({1000, 1100, 3000});  // 1900 after 100: still the same series
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 2);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 60.00");
}

TEST(TapTempo, TheTimerEndsTheSeriesBeforeTheRhythmTestWould) {
  TapHarness t;
  t.TapAt({1000, 1600, 2000});
  EXPECT_EQ(t.h.host.timerPeriod, 760u);  // 1.9 x 400, before 1.9 x 500 = 950
  t.FireTimer();
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = -120.00-");
  EXPECT_TRUE(t.SetBpmButton().enabled);
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 0u);
  // The next tap starts a new series.
  t.TapAt({5000});
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 5000u);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
}

TEST(TapTempo, SettingTheProposalWritesTheRowAndResetsTheButton) {
  TapHarness t;
  t.h.dialog.OnUpDownStep(kDecimalPlacesUpDown, 1);  // decimals do not matter here
  t.TapAt({10000, 10500});
  t.FireTimer();
  ASSERT_EQ(t.SetBpmButton().text, "Set BPM = -120.00-");
  t.h.host.fittedColumns.clear();
  t.h.dialog.OnCommand(kSetBpmButton);
  const TrackRow& row = t.h.dialog.Tracks().Row(0);
  EXPECT_EQ(row.bpm, "120.00");
  EXPECT_EQ(row.image, RowImage::kSetByHand);
  EXPECT_EQ(t.h.host.fittedColumns, (std::vector<int>{0}));
  // Writing the row is a change of the list: the series is over.
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);
  EXPECT_EQ(t.h.dialog.TapSeries().proposedBpm, 0.0);
  EXPECT_TRUE(t.TapButton().enabled);
  // The button is disabled now: a click does nothing.
  t.h.dialog.OnCommand(kSetBpmButton);
  EXPECT_EQ(t.h.dialog.Tracks().Row(0).bpm, "120.00");
}

TEST(TapTempo, SelectingAnotherRowEndsTheSeriesAndKeepsTapping) {
  TapHarness t;
  t.TapAt({1000, 1500});
  ASSERT_TRUE(t.SetBpmButton().enabled);
  t.h.dialog.OnRowSelected(0, false);
  t.h.dialog.OnRowSelected(1, true);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);
  EXPECT_TRUE(t.TapButton().enabled);
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 0u);
  EXPECT_EQ(t.h.dialog.TapSeries().proposedBpm, 0.0);
  // The timer is stopped with the series, so it cannot write "-0.00-" later.
  EXPECT_FALSE(t.h.host.timerPeriod.has_value());
}

TEST(TapTempo, TwoSelectedRowsDisableTheTapButtonAndATapOnlyStopsTheTimer) {
  TapHarness t;
  t.h.dialog.OnRowSelected(1, true);
  EXPECT_FALSE(t.TapButton().enabled);
  // A tap that arrives all the same (the window ignores disabled buttons;
  // the logic does too) changes nothing.
  t.h.dialog.OnCommand(kTapButton);
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 0u);
}

TEST(TapTempo, TheProgramsOwnChangesOfTheListResetTheSeries) {
  TapHarness t;
  t.TapAt({1000, 1500});
  ASSERT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
  t.h.dialog.Tracks().SetImage(2, RowImage::kFailed);  // a row not even selected
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);

  // During a run: each result ends the series, and selecting one row
  // enables the tap button again although the run disabled it.
  t.h.dialog.OnRowSelected(1, true);
  t.h.dialog.OnCommand(kGoButton);
  ASSERT_TRUE(t.h.dialog.AnalysisRunning());
  EXPECT_FALSE(t.TapButton().enabled);
  t.h.dialog.OnRowSelected(2, true);
  EXPECT_TRUE(t.TapButton().enabled);
  t.TapAt({4000, 4500});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
  t.h.Done(128.0);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_EQ(t.h.dialog.TapSeries().seriesStart, 0u);
}

TEST(TapTempo, TicksThatWrapRoundInsideASeries) {
  TapHarness t;
  t.TapAt({0xFFFFFE0Cu, 0x00000000u, 0x000001F4u});  // -500, 0, +500
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 2);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
  EXPECT_EQ(t.h.host.timerPeriod, 950u);
  t.TapAt({0x000003E8u});  // 500 later: within the rhythm
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 3);
}

// Two taps within one tick are one click registered twice: no proposal,
// and the series goes on as if only one had come.
TEST(TapTempo, TwoTapsWithinOneTickGiveNoProposal) {
  TapHarness t;
  t.TapAt({7000, 7000});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 0);
  t.TapAt({7500});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");  // not 240
  // Within a running series the double click leaves the armed timer alone.
  t.TapAt({7500});
  EXPECT_EQ(t.h.host.timerPeriod, 950u);
  EXPECT_EQ(t.h.dialog.TapSeries().intervalCount, 1);
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = 120.00");
}

// A series that lasted a whole cycle of the 32-bit tick has no elapsed
// time modulo 2^32: no proposal rather than a division by zero.
TEST(TapTempo, ASeriesOfAWholeTickCycleGivesNoProposal) {
  TapHarness t;
  t.TapAt({1000, 1000u + 0x80000000u, 1000});
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = ???");
  EXPECT_FALSE(t.SetBpmButton().enabled);
}

TEST(TapTempo, ATimerFiringAfterTheListChangedShowsTheClearedProposal) {
  TapHarness t;
  t.TapAt({1000, 1500});
  t.h.dialog.Tracks().SetBpm(1, "99");
  // The list change stopped the timer; were it to fire anyway (a message
  // already queued), the series just ends once more.
  t.h.dialog.OnTimer();
  EXPECT_EQ(t.SetBpmButton().text, "Set BPM = -0.00-");
  EXPECT_FALSE(t.SetBpmButton().enabled);
}
