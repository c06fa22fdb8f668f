// One analysed file as a line of output: text ("119.77<TAB>path" or
// "failed<TAB>path", a name with control characters quoted as ls quotes
// it), CSV (after a header line) or JSON (one object a line, with
// "path_bytes" in Base64 beside "path" when the name is not UTF-8).
// A tempo read from a file's tag has the status "tagged"; JSON adds the TBPM
// text written ("tag") or why it was not ("tag_error").
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
  bool tagged = false;      // ok: bpm read from the file's TBPM tag, not measured
  std::string tagText{};    // the TBPM text written (--write-tag), if written
  std::string tagError{};   // why the TBPM tag could not be written
  // How strongly one tempo explains the onsets, 0 to 1, when the precise
  // estimator measured it (json only); NaN otherwise.
  double confidence = std::numeric_limits<double>::quiet_NaN();
  // The precise estimator's runner-up beat level (folded like bpm) and its
  // strength on the confidence's scale (json only); NaN when there is none.
  double alternative = std::numeric_limits<double>::quiet_NaN();
  double alternativeConfidence = std::numeric_limits<double>::quiet_NaN();
};

// The line printed before the results, if any (CSV's header); may be empty.
std::string FormatHeader(OutputFormat format);
// One result, without the line end.
std::string FormatResult(const TrackResult& result, OutputFormat format);
