// Tap tempo: the user clicks "Tap Beat Here" in time with the music, and
// the set-BPM button proposes the tempo of the taps, snapped to half, double
// or two thirds of the row's own tempo when the taps land near one of them.
//
// TapState holds a series of taps:
//
//   seriesStart    tick of the series' first tap; 0 when no series runs
//   lastTap        tick of the latest accepted tap
//   intervalCount  intervals accepted in the series
//   proposedBpm    the tempo the set-BPM button would write; 0 for none
//
// A series is in one of three states: none (seriesStart 0); started (one
// tap, no proposal, the set-BPM button disabled with "Set BPM = ???"); and
// running (a proposal on the enabled button, the timer armed for 1.9 times
// the last interval). A tap in "none" starts a series; a tap in "started"
// or "running" adds an interval, or starts a new series when it comes later
// than 1.9 times the series' average interval (tested from the third
// interval on). The timer firing ends the series ("Set BPM = -120.00-", the
// button left as it was, so a proposal can still be written); any change
// of the track list ends it too and clears the proposal.
//
// The tapped tempo is the series' average, 60000 / ((lastTap - seriesStart)
// / intervalCount). Compared with the row's tempo L (0 when it has none),
// it is snapped, in this order, to L/2 when within 0.1 L of it, to 2 L
// within 0.2 L, to 2/3 L within 0.15 L ("Set BPM = *60.00*"); otherwise it
// is proposed as tapped ("Set BPM = 120.00").
//
// A tap in the same millisecond tick as the tap before it is one click
// registered twice (a bouncing button): it is not counted and changes
// nothing, so two taps within one tick never give a proposal (the series
// would have no elapsed time to divide by). Tick differences are taken
// modulo 2^32, so a wrap of the tick counter inside a series does no harm.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/dialog_state.h"
#include "ui/dialog_timer.h"
#include "ui/tick_clock.h"

struct TapState {
  uint32_t seriesStart = 0;
  uint32_t lastTap = 0;
  int32_t intervalCount = 0;
  double proposedBpm = 0.0;
};

// The longest text the set-BPM button shows for tempi below 1000, for
// sizing the button.
inline constexpr const char* kWidestSetBpmText = "Set BPM = *888.88*";

class TapTempo {
 public:
  // Clock and timer are not owned and must outlive the object.
  TapTempo(TickClock& clock, DialogTimer& timer) : clock_(clock), timer_(timer) {}
  TapTempo(const TapTempo&) = delete;
  TapTempo& operator=(const TapTempo&) = delete;

  // A click on the tap button. `selectedRowBpm` is the BPM of the one
  // selected row as atof reads its text (0 when empty), or nothing when not
  // exactly one row is selected (then the click only stops the timer).
  // Writes the set-BPM button's text and enabled flag.
  void Tap(std::optional<double> selectedRowBpm, ControlState& setBpmButton);

  // The timer fired: the series ends, the button shows the proposal
  // between minus signs and keeps its enabled flag.
  void SeriesTimedOut(ControlState& setBpmButton);

  // The track list changed: no series, no proposal, "Set BPM = ???" on the
  // disabled button, the timer stopped.
  void Reset(ControlState& setBpmButton);

  const TapState& State() const { return state_; }
  double ProposedBpm() const { return state_.proposedBpm; }

 private:
  void StartSeries(ControlState& setBpmButton);

  TickClock& clock_;
  DialogTimer& timer_;
  TapState state_;
};

// The proposal for a tapped tempo T and the row's tempo L: L/2, 2 L or
// 2/3 L when T lies near it (corrected), else T itself.
struct TapProposal {
  double bpm = 0.0;
  bool corrected = false;
};
TapProposal ProposeTempo(double tapped, double rowBpm);

// The set-BPM button's texts: "Set BPM = 120.00", "Set BPM = *120.00*",
// "Set BPM = -120.00-" and "Set BPM = ???".
std::string SetBpmText(const TapProposal& proposal);
std::string SeriesEndedText(double proposedBpm);
inline constexpr const char* kNoProposalText = "Set BPM = ???";
