// Difference statistics over the aligned overlap of two decodings.
#include "comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tempyra::pcmcompare {

double ComparisonStats::within1Percent() const {
  return compared ? 100.0 * static_cast<double>(within1) / static_cast<double>(compared) : 0.0;
}

double ComparisonStats::exactPercent() const {
  return compared ? 100.0 * static_cast<double>(exact) / static_cast<double>(compared) : 0.0;
}

double ComparisonStats::sdrDb() const {
  if (differenceEnergy == 0.0) return std::numeric_limits<double>::infinity();
  if (signalEnergy == 0.0) return -std::numeric_limits<double>::infinity();
  return 10.0 * std::log10(signalEnergy / differenceEnergy);
}

ComparisonStats compareAligned(const PcmData& ours, const PcmData& reference, long offset,
                               std::size_t skipSamples) {
  ComparisonStats stats;
  const long oursFrames = static_cast<long>(ours.frames());
  const long refFrames = static_cast<long>(reference.frames());
  const long first = std::max(0L, -offset);
  const long last = std::min(refFrames, oursFrames - offset);
  if (last <= first) {
    stats.refHead = static_cast<std::size_t>(refFrames);
    stats.oursHead = static_cast<std::size_t>(oursFrames);
    return stats;
  }
  stats.refHead = static_cast<std::size_t>(first);
  stats.refTail = static_cast<std::size_t>(refFrames - last);
  stats.oursHead = static_cast<std::size_t>(first + offset);
  stats.oursTail = static_cast<std::size_t>(oursFrames - (last + offset));

  const int channels = reference.channels;
  const long countedFrom = std::min(last, first + static_cast<long>(skipSamples));
  for (long i = first; i < last; ++i) {
    for (int c = 0; c < channels; ++c) {
      const long a = ours.at(static_cast<std::size_t>(i + offset), c);
      const long b = reference.at(static_cast<std::size_t>(i), c);
      const long d = std::labs(a - b);
      if (i < countedFrom) {
        stats.headMaxDiff = std::max(stats.headMaxDiff, d);
        continue;
      }
      ++stats.compared;
      if (d == 0) ++stats.exact;
      if (d <= 1) ++stats.within1;
      if (d > 4) {
        if (stats.beyond4 == 0) stats.firstBeyond4 = static_cast<std::size_t>(i);
        ++stats.beyond4;
      }
      stats.maxDiff = std::max(stats.maxDiff, d);
      stats.signalEnergy += static_cast<double>(b) * static_cast<double>(b);
      stats.differenceEnergy += static_cast<double>(d) * static_cast<double>(d);
    }
  }
  return stats;
}

}  // namespace tempyra::pcmcompare
