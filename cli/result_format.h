// One analysed file as a line of output: text ("119.77<TAB>path" or
// "failed<TAB>path", a name with control characters quoted as ls quotes
// it), CSV (after a header line) or JSON (one object a line, with
// "path_bytes" in Base64 beside "path" when the name is not UTF-8).
#pragma once

#include <cstdint>
#include <string>

#include "cli/analyze_options.h"

struct TrackResult {
  std::string path;
  bool ok = false;  // a tempo was measured
  double bpm = 0;   // folded tempo, when ok
  double durationSeconds = 0;
  uint32_t sampleRate = 0;  // 0 when unknown
  std::string reason;       // why it failed, when not ok
};

// The line printed before the results, if any (CSV's header); may be empty.
std::string FormatHeader(OutputFormat format);
// One result, without the line end.
std::string FormatResult(const TrackResult& result, OutputFormat format);
