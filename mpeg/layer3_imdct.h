// The Layer III hybrid filterbank before the polyphase synthesis: alias
// reduction between long-block subbands, the inverse MDCT of each subband
// (36 points for long blocks with the window of block type 0, 1 or 3; three
// 12-point transforms for short blocks), overlap-add with the previous
// granule, and the frequency inversion of odd subbands.
#pragma once

#include <cstdint>

#include "mpeg/layer3_side_info.h"

namespace mpeg {

// Applies the alias-reduction butterflies at the boundaries between
// subbands 0|1 ... (boundaries - 1)|boundaries.
void reduceAliases(float spectrum[576], int boundaries);

struct ImdctChannel {
  const float* spectrum;  // 576 reordered lines
  // The second halves of the previous granule's transforms, time-major
  // ([time slot][subband], as the output); replaced by this granule's.
  float (*overlap)[32];
  std::int32_t* overlapSubbands;  // in/out: subbands of `overlap` that may be non-zero
  int lineCount;                  // lines to transform, at most the line limit
  int longLines;                  // of them, the lines transformed as long blocks
  int blockType;                  // window of the long-block subbands: block type 0, 1 or 3
  // Subbands at the bottom that take the normal window (block type 0)
  // whatever `blockType` says: the long part of a mixed block.
  int normalWindowSubbands;
};

// Writes 18 time slots x 32 subbands into `output` (time-major) and returns
// the number of subbands that may be non-zero. Transforms 8 subbands at a
// time where the processor has AVX2, else 4; both give the same values.
int inverseMdct(const ImdctChannel& channel, float output[18][32]);

// The same with `lanes` subbands at a time (4, or 8 where the processor has
// AVX2), for tests that compare the two; returns -1 for a width the
// processor cannot run.
int inverseMdctWithLanes(const ImdctChannel& channel, float output[18][32], int lanes);

}  // namespace mpeg
