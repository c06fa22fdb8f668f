// Tap tempo. See tap_tempo.h.
#include "ui/tap_tempo.h"

#include <cmath>
#include <limits>

#include "ui/bpm_text.h"

namespace {

// A series ends when no tap comes within this many times the last interval;
// a tap later than this many times the average interval starts a new one.
constexpr double kRhythmFactor = 1.9;

uint32_t TimerPeriod(uint32_t interval) {
  // 1.9 times the interval, truncated; at most what a 32-bit count holds.
  const double period = kRhythmFactor * interval;
  if (period >= static_cast<double>(std::numeric_limits<uint32_t>::max()))
    return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(period);
}

}  // namespace

TapProposal ProposeTempo(double tapped, double rowBpm) {
  const double l = rowBpm;
  if (0.1 * l > std::fabs(tapped - 0.5 * l)) return {0.5 * l, true};
  if (0.2 * l > std::fabs(tapped - 2.0 * l)) return {2.0 * l, true};
  if (0.15 * l > std::fabs(tapped - (2.0 / 3.0) * l)) return {(2.0 / 3.0) * l, true};
  return {tapped, false};
}

std::string SetBpmText(const TapProposal& proposal) {
  const std::string value = FormatFixed(proposal.bpm, 2);
  return proposal.corrected ? "Set BPM = *" + value + "*" : "Set BPM = " + value;
}

std::string SeriesEndedText(double proposedBpm) {
  return "Set BPM = -" + FormatFixed(proposedBpm, 2) + "-";
}

void TapTempo::Tap(std::optional<double> selectedRowBpm, ControlState& setBpmButton) {
  if (!selectedRowBpm) {
    timer_.Stop();
    return;
  }
  if (state_.seriesStart == 0) {
    timer_.Stop();
    StartSeries(setBpmButton);
    return;
  }
  const uint32_t now = clock_.Now();
  // The same click registered twice: the armed timer runs on unchanged.
  if (now == state_.lastTap) return;
  timer_.Stop();

  const uint32_t interval = now - state_.lastTap;
  if (state_.intervalCount >= 2) {
    const double average =
        static_cast<double>(state_.lastTap - state_.seriesStart) / state_.intervalCount;
    if (static_cast<double>(interval) > kRhythmFactor * average) {
      StartSeries(setBpmButton);
      return;
    }
  }

  timer_.Start(TimerPeriod(interval));
  ++state_.intervalCount;
  state_.lastTap = now;
  const double elapsed = static_cast<double>(state_.lastTap - state_.seriesStart);
  // Every accepted interval is at least one tick, so elapsed is positive
  // unless the series has lasted a whole 2^32 ms cycle of the counter.
  if (elapsed <= 0.0) {
    state_.proposedBpm = 0.0;
    setBpmButton.text = kNoProposalText;
    setBpmButton.enabled = false;
    return;
  }
  const double tapped = 60000.0 / (elapsed / state_.intervalCount);
  const TapProposal proposal = ProposeTempo(tapped, *selectedRowBpm);
  state_.proposedBpm = proposal.bpm;
  setBpmButton.text = SetBpmText(proposal);
  setBpmButton.enabled = true;
}

void TapTempo::SeriesTimedOut(ControlState& setBpmButton) {
  timer_.Stop();
  state_.seriesStart = 0;
  setBpmButton.text = SeriesEndedText(state_.proposedBpm);
}

void TapTempo::Reset(ControlState& setBpmButton) {
  timer_.Stop();
  state_.proposedBpm = 0.0;
  state_.seriesStart = 0;
  if (setBpmButton.text != kNoProposalText) setBpmButton.text = kNoProposalText;
  setBpmButton.enabled = false;
}

void TapTempo::StartSeries(ControlState& setBpmButton) {
  const uint32_t now = clock_.Now();
  state_.seriesStart = now;
  state_.lastTap = now;
  state_.intervalCount = 0;
  state_.proposedBpm = 0.0;
  setBpmButton.text = kNoProposalText;
  setBpmButton.enabled = false;
}
