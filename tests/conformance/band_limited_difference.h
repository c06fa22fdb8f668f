// The difference between a decoding and a reference decoding of the same
// stream, measured below a cut-off frequency.
//
// Our decoder leaves its top band silent and truncates toward zero; a
// reference decoder may decode up to the Nyquist frequency and round. To
// compare what both decode, the difference of the two signals (sample for
// sample, no shift) goes through an ideal low-pass (every DFT bin at or above
// the cut-off set to zero), and the reference through the same filter; the
// ratio of their energies is the signal-to-difference ratio, and the largest
// sample of the filtered difference is the largest difference.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tempyra::conformance {

struct BandLimitedDifference {
  double signalEnergy = 0.0;           // of the low-passed reference, all channels
  double differenceEnergy = 0.0;       // of the low-passed difference, all channels
  double maxDifference = 0.0;          // largest |low-passed difference| of any sample
  std::size_t maxDifferenceFrame = 0;  // frame (sample per channel) where it lies
  std::size_t comparedFrames = 0;      // frames compared

  // Signal-to-difference ratio in dB; +inf for no difference, -inf for a silent reference.
  double sdrDb() const;
  // Root mean square of the low-passed difference per sample, in LSB.
  double rmsDifference(int channels) const;
};

// Compares `ours` with `reference` (interleaved 16-bit values, `channels`
// channels) over the frames both hold, from frame 0 on. (A reference decoding
// may run on past the end of the stream it was made from, when the stream is
// a cut of a longer one.) Frequencies from `cutoffHz` up (at `sampleRate`)
// are left out.
BandLimitedDifference compareBelow(const std::vector<std::int16_t>& ours,
                                   const std::vector<std::int16_t>& reference, int channels,
                                   double sampleRate, double cutoffHz);

// Drops the trailing channel groups in which every sample is 0.
void trimTrailingSilence(std::vector<std::int16_t>& samples, int channels);

}  // namespace tempyra::conformance
