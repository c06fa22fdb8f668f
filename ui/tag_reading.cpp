// The "Tag" column's texts. See tag_reading.h.
#include "ui/tag_reading.h"

#include <cmath>

#include "ui/bpm_text.h"

std::string TagTempoText(std::optional<double> bpm) {
  if (!bpm || !std::isfinite(*bpm)) return {};
  const bool whole = std::abs(*bpm - std::round(*bpm)) < 0.005;
  return FormatFixed(*bpm, whole ? 0 : 2);
}
