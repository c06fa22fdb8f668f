// Layer III joint stereo of one granule: mid/side (left = m + s,
// right = m - s; the 1/sqrt(2) already lies in global_gain) and intensity
// stereo (ISO/IEC 11172-3 positions 0..6 and the ISO/IEC 13818-3 positions
// with their two scales), applied to the requantised, reordered spectra.
#pragma once

#include <cstdint>

#include "mpeg/layer3_requantize.h"
#include "mpeg/layer3_scale_factors.h"
#include "mpeg/layer3_side_info.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

struct StereoInput {
  float* left;                          // 576 lines, modified
  float* right;                         // 576 lines, modified
  const GranuleChannelInfo* rightInfo;  // block structure of the right channel
  const ScaleFactors* rightFactors;     // intensity positions and limits
  RequantizeResult rightBands;          // the right channel's highest non-zero bands
  int lineCount;                        // max of both channels' non-zero lines
  bool midSide;
  bool intensity;
  bool lowSamplingFrequency;
  const ScaleFactorBands* bands;
  int mixedLongBands;  // long bands of a mixed block (8 or 6)
};

void processStereo(const StereoInput& input);

}  // namespace mpeg
