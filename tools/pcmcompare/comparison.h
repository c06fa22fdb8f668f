// Sample statistics of two aligned decodings.
//
// The first frames of the overlap are left out of the statistics (they
// depend on how each decoder starts a stream: bit reservoir, synthesis
// history) and reported separately; everything after them counts.
#pragma once

#include <cstddef>

#include "pcm_file.h"

namespace tempyra::pcmcompare {

struct ComparisonStats {
  std::size_t compared = 0;  // samples (all channels) in the counted region
  std::size_t exact = 0;     // equal samples
  std::size_t within1 = 0;   // |difference| <= 1
  std::size_t beyond4 = 0;   // |difference| > 4
  long maxDiff = 0;          // in the counted region
  long headMaxDiff = 0;      // in the skipped first frames
  std::size_t firstBeyond4 =
      0;  // per-channel frame index in the reference of the first sample beyond 4
  double signalEnergy = 0.0;  // of the reference, counted region
  double differenceEnergy = 0.0;
  // Per-channel sample counts of each decoding outside the overlap.
  std::size_t oursHead = 0, oursTail = 0, refHead = 0, refTail = 0;

  double within1Percent() const;
  double exactPercent() const;
  // Signal-to-difference ratio in dB: +inf when equal, -inf when the reference is silent.
  double sdrDb() const;
};

ComparisonStats compareAligned(const PcmData& ours, const PcmData& reference, long offset,
                               std::size_t skipSamples);

}  // namespace tempyra::pcmcompare
