// One analysed file as a line of output: text ("119.77<TAB>path" or
// "failed<TAB>path"), CSV (after a header line) or JSON (one object a line).
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "cli/analyze_options.h"

struct TrackResult {
  std::string path;
  bool ok = false;  // a tempo was measured
  double bpm = 0;   // folded tempo, when ok
  double durationSeconds = 0;
  uint32_t sampleRate = 0;  // 0 when unknown
  std::string reason;       // why it failed, when not ok
  // How strongly one tempo explains the onsets, 0 to 1, when the precise
  // estimator measured it (json only); NaN otherwise.
  double confidence = std::numeric_limits<double>::quiet_NaN();
};

// The line printed before the results, if any (CSV's header); may be empty.
std::string FormatHeader(OutputFormat format);
// One result, without the line end.
std::string FormatResult(const TrackResult& result, OutputFormat format);
