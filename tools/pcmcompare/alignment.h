// Finding where two decodings of the same stream line up.
//
// Two decoders may start their output at different frames: one outputs a
// silent frame for a VBR tag frame, the other skips it; frames whose bit
// reservoir data is missing may or may not give output; a decoder may trim
// encoder delay. The offset is searched first in whole frames over the whole
// overlap (the usual case), and only when no whole-frame offset matches well,
// sample by sample within the same range on a stretch with signal energy.
#pragma once

#include <cstddef>

#include "pcm_file.h"

namespace tempyra::pcmcompare {

struct AlignmentRequest {
  std::size_t frameSamples = 1152;  // samples per channel in one frame
  int searchFrames = 8;             // offsets up to this many frames either way
  bool allowFine = true;
};

struct Alignment {
  // ours[i + offset] pairs with reference[i] (per-channel sample index).
  long offset = 0;
  bool fine = false;   // found by the sample-by-sample search
  double error = 1.0;  // normalised difference energy at that offset (0 = equal)
  bool found = false;  // false when no offset overlaps with signal energy
};

Alignment findAlignment(const PcmData& ours, const PcmData& reference,
                        const AlignmentRequest& request);

// Normalised difference energy sum (a-b)^2 / sum (a^2 + b^2) of ours shifted
// by offset against reference, over reference frames [begin, end) where both
// exist. Returns 0 when both are silent there, and a negative value when the
// two do not overlap in the range.
double alignmentError(const PcmData& ours, const PcmData& reference, long offset, std::size_t begin,
                      std::size_t end);

}  // namespace tempyra::pcmcompare
