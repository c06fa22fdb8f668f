// Layer III requantisation of one granule and channel: each Huffman value x
// becomes sign(x) |x|^(4/3) times the gains of its band (global_gain, scale
// factor with pre-emphasis, subblock_gain), on the 16-bit output scale; the
// lines of short blocks are reordered window-interleaved (line j of window w
// of a band goes to 3 * band start + 3j + w).
#pragma once

#include <cstdint>

#include "mpeg/layer3_scale_factors.h"
#include "mpeg/layer3_side_info.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

struct RequantizeResult {
  int lineCount;         // lines that may be non-zero after reordering
  int lastLongBand;      // highest long band with a non-zero line, -1 for none
  int lastShortBand[3];  // per window, the same for short bands
};

// `values` holds the decoded lines, non-zero only below `nonzeroLines`.
// Writes all 576 lines of `spectrum` (those at and above `lineLimit` as 0).
RequantizeResult requantizeChannel(const std::int32_t values[576], int nonzeroLines,
                                   const GranuleChannelInfo& info, const ScaleFactors& factors,
                                   const ScaleFactorBands& bands, int mixedLongLines, int lineLimit,
                                   float spectrum[576]);

}  // namespace mpeg
