// The three stages of the tempo detector. See tempo_detector.h.
#include "engine/tempo_detector.h"

#include <algorithm>
#include <cstring>

void TempoDetector::Reset() {
  sampleBuffer_.Clear();
  segmentBuffer_.Clear();
  fluxBuffer_.Clear();
  std::memset(previousSpectrum_, 0, sizeof previousSpectrum_);
  std::memset(periodicitySpectrum_, 0, sizeof periodicitySpectrum_);
  segmentRate_ = 0;
}

void TempoDetector::FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate,
                              uint32_t frameBytes, uint32_t channels) {
  const uint32_t segmentLength = sampleRate >> 4;
  if (bytes == 0 || segmentLength == 0 || sampleRate > kMaxSampleRate) return;
  // A frame is read only when it is exactly `channels` samples of one byte
  // or two; anything else (24-bit samples, a size that is no whole number
  // of samples) would be read misaligned and is passed over.
  const uint32_t ch = channels == 0 ? 1 : channels;
  const uint64_t frameBits = static_cast<uint64_t>(frameBytes) * 8;
  if (frameBytes == 0 || frameBits % ch != 0) return;
  const uint32_t bits = static_cast<uint32_t>(frameBits / ch);
  if (bits != 8 && bits != 16) return;
  if (sampleRate != segmentRate_) {
    sampleBuffer_.Clear();
    segmentRate_ = sampleRate;
  }
  while (bytes >= frameBytes) {
    uint32_t n = bytes / frameBytes;
    n = std::min(n, segmentLength - sampleBuffer_.Count());
    sampleBuffer_.AppendPcm(bits, ch, n, pcm);
    pcm += static_cast<size_t>(n) * frameBytes;
    bytes -= n * frameBytes;
    if (sampleBuffer_.Count() == segmentLength) ProcessSegment(segmentLength);
  }
}

// One full segment: carry its second half over, reduce, transform, and turn
// its magnitudes into one onset value. The segment buffer is empty between
// segments, so the full sample buffer's values move into it by exchanging
// the two buffers' memory rather than by copying.
void TempoDetector::ProcessSegment(uint32_t segmentLength) {
  segmentBuffer_.Clear();
  segmentBuffer_.ExchangeValues(sampleBuffer_);
  const uint32_t half = segmentLength / 2;
  sampleBuffer_.AppendValues(half, segmentBuffer_.Data() + half);

  segmentBuffer_.ReduceToBins(kSegmentBins);
  segmentBuffer_.ApplyHammingWindow();
  segmentBuffer_.MagnitudeSpectrum();
  const double* magnitude = segmentBuffer_.Data();
  double flux = 0.0;
  for (uint32_t k = 1; k <= kFluxBands; ++k) {
    if (magnitude[k] > previousSpectrum_[k - 1]) flux += magnitude[k] - previousSpectrum_[k - 1];
    previousSpectrum_[k - 1] = magnitude[k];
  }
  fluxBuffer_.AppendValues(1, &flux);
  segmentBuffer_.Clear();
  if (fluxBuffer_.Count() == kGroupLength) ProcessGroup();
}

// A group of 960 onset values: its periodicity magnitudes join the sum.
void TempoDetector::ProcessGroup() {
  fluxBuffer_.PreEmphasis();
  fluxBuffer_.ApplyHammingWindow();
  fluxBuffer_.MagnitudeSpectrum();
  const double* magnitude = fluxBuffer_.Data();
  for (uint32_t i = 0; i < kPeriodicityBins; ++i) periodicitySpectrum_[i] += magnitude[i];
  fluxBuffer_.Clear();
}
