// TrackAnalysis: the dialog's analysis of one file at a time.
//
// Lifecycle: Start(path) begins analysing a file (false when it cannot be
// started: nothing is posted then). The analysis then posts, to the message
// target it was made with and from another thread, progress messages
// (AnalysisJob::kAnalysisProgress: wParam the block index, lParam the
// estimated total of blocks) and exactly one of AnalysisJob::kAnalysisDone
// and AnalysisJob::kAnalysisFailed; the window hands them to the dialog on
// its own thread, in the order they were posted. After kAnalysisDone,
// EstimateTempo() once gives the tempo (not finite: no tempo found).
// Progress() tells how far the current file has been read, steadily (never
// backwards, whatever the block estimate does). Start again begins the next
// file. Destroying the analysis stops a running file; nothing more is
// posted.
#pragma once

#include <string>

#include "engine/file_analysis.h"

class TrackAnalysis {
 public:
  virtual ~TrackAnalysis() = default;
  virtual bool Start(const std::string& path) = 0;
  virtual double EstimateTempo() = 0;
  virtual ReadPosition Progress() const = 0;
  // Whether the runs started from now on use the precise estimator.
  virtual void SetPreciseTempo(bool on) = 0;
  // Whether the runs started from now on decode every audio format (FFmpeg
  // for what is not MPEG audio) or MPEG audio only.
  virtual void SetEveryFormat(bool on) = 0;
  // After EstimateTempo() in a precise run: how far to trust its tempo (0
  // to 1) and the runner-up beat level's tempo. NaN after a standard run,
  // or when there is none.
  virtual double TempoConfidence() const = 0;
  virtual double AlternativeTempo() const = 0;
};
