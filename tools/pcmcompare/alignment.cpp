// Whole-frame, then sample-exact, search for the offset between two decodings.
#include "alignment.h"

#include <algorithm>

namespace tempyra::pcmcompare {
namespace {

// An offset whose error is below this is taken as a match without looking
// further (about 40 dB signal-to-difference ratio).
constexpr double kGoodMatch = 1e-4;

// Length of the stretch the sample-by-sample search compares.
constexpr std::size_t kFineWindow = 16384;

}  // namespace

double alignmentError(const PcmData& ours, const PcmData& reference, long offset, std::size_t begin,
                      std::size_t end) {
  const long oursFrames = static_cast<long>(ours.frames());
  long first = std::max(static_cast<long>(begin), -offset);
  long last = std::min(static_cast<long>(std::min(end, reference.frames())), oursFrames - offset);
  if (last <= first) return -1.0;
  const std::size_t ch = static_cast<std::size_t>(reference.channels);
  const int32_t* a = ours.samples.data() + static_cast<std::size_t>(first + offset) * ch;
  const int32_t* b = reference.samples.data() + static_cast<std::size_t>(first) * ch;
  const std::size_t n = static_cast<std::size_t>(last - first) * ch;
  double difference = 0.0, energy = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    const double x = a[i], y = b[i];
    difference += (x - y) * (x - y);
    energy += x * x + y * y;
  }
  if (energy <= 0.0) return 0.0;  // both silent here: equal
  return difference / energy;
}

Alignment findAlignment(const PcmData& ours, const PcmData& reference,
                        const AlignmentRequest& request) {
  Alignment best;
  const long frame = static_cast<long>(request.frameSamples);
  const std::size_t refFrames = reference.frames();
  // Offsets 0, +1, -1, +2, -2, ... frames, so that of equally good offsets
  // (silence) the smallest shift wins.
  for (long step = 0; step <= 2L * request.searchFrames; ++step) {
    const long k = step % 2 ? (step + 1) / 2 : -step / 2;
    const double e = alignmentError(ours, reference, k * frame, 0, refFrames);
    if (e < 0) continue;
    if (!best.found || e < best.error) {
      best.found = true;
      best.offset = k * frame;
      best.error = e;
    }
  }
  if ((best.found && best.error < kGoodMatch) || !request.allowFine) return best;

  // Sample-by-sample: a window of the reference with the most energy, away
  // from the ends so every offset in the range fits.
  const long range = request.searchFrames * frame;
  const std::size_t window = std::min<std::size_t>(kFineWindow, refFrames);
  const std::size_t ch = static_cast<std::size_t>(reference.channels);
  std::size_t bestStart = 0;
  double bestEnergy = -1.0;
  for (std::size_t start = 0; start + window <= refFrames; start += window / 2) {
    double energy = 0.0;
    for (std::size_t i = start * ch; i < (start + window) * ch; ++i)
      energy += static_cast<double>(reference.samples[i]) * reference.samples[i];
    if (energy > bestEnergy) {
      bestEnergy = energy;
      bestStart = start;
    }
  }
  Alignment fine;
  for (long offset = -range; offset <= range; ++offset) {
    const double e = alignmentError(ours, reference, offset, bestStart, bestStart + window);
    if (e < 0) continue;
    if (!fine.found || e < fine.error) {
      fine.found = true;
      fine.offset = offset;
      fine.error = e;
    }
  }
  if (!fine.found) return best;
  // Judge the fine candidate on the whole overlap like the frame candidates.
  fine.error = alignmentError(ours, reference, fine.offset, 0, refFrames);
  fine.fine = fine.offset % frame != 0;
  if (!best.found || (fine.error >= 0 && fine.error < best.error)) return fine;
  return best;
}

}  // namespace tempyra::pcmcompare
