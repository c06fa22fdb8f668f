// TempoDetector: turns the PCM of a whole file into a periodicity spectrum of
// its onsets, from which EstimateTempo() picks the tempo.
//
// Lifecycle, one file at a time:
//   1. Reset()      empties the buffers and zeroes both spectra (the buffers
//                   keep their memory from file to file);
//   2. FeedBlock()  for every decoded block, in stream order; blocks may be
//                   of any size, a segment left open continues seamlessly;
//   3. read PeriodicitySpectrum() once the whole file has been fed, normally
//      through EstimateTempo(), which rewrites part of it.
// Nothing is reported before the end: an input shorter than one group of
// 960 onset values (about 30 s) leaves the spectrum all zero.
//
// The stages: PCM is mixed to mono and cut into segments of L = rate / 16
// samples advancing by L - L/2; each segment is box-car reduced to 64 values,
// Hamming-windowed and transformed, and the positive change of its magnitudes
// 1-32 against the previous segment's (the spectral flux) is one onset value.
// Every 960 onset values are pre-emphasised, windowed and transformed, and
// their 481 magnitudes are added into the periodicity spectrum.
#pragma once

#include <cstdint>

#include "engine/signal_buffer.h"

class TempoDetector {
 public:
  static constexpr uint32_t kSegmentBins = 64;       // values per reduced segment
  static constexpr uint32_t kFluxBands = 32;         // magnitudes 1-32 of a segment
  static constexpr uint32_t kGroupLength = 960;      // onset values per periodicity step
  static constexpr uint32_t kPeriodicityBins = 481;  // bins 0-480
  // Highest sampling rate read; it bounds the buffers to a few MB whatever
  // a file's header claims.
  static constexpr uint32_t kMaxSampleRate = 768000;

  TempoDetector() { Reset(); }

  void Reset();

  // One block of interleaved PCM: bytes of sample frames of frameBytes bytes
  // each (channels x bits / 8, signed 8-bit or 16-bit little-endian
  // samples; channels 0 counts as 1), at sampleRate Hz. A trailing part
  // smaller than a sample frame is ignored. Blocks whose frames are not
  // whole 8- or 16-bit samples, and rates below 16 Hz or above
  // kMaxSampleRate, are passed over. When the rate changes between blocks,
  // the segment being filled is dropped and segments restart at the new rate.
  void FeedBlock(const uint8_t* pcm, uint32_t bytes, uint32_t sampleRate, uint32_t frameBytes,
                 uint32_t channels);

  const double* PeriodicitySpectrum() const { return periodicitySpectrum_; }
  double* PeriodicitySpectrum() { return periodicitySpectrum_; }

 private:
  void ProcessSegment(uint32_t segmentLength);
  void ProcessGroup();

  SignalBuffer sampleBuffer_;   // mono samples of the segment being filled
  SignalBuffer segmentBuffer_;  // one segment while it is reduced; else empty
  SignalBuffer fluxBuffer_;     // onset values since the last group
  double previousSpectrum_[kFluxBands];
  double periodicitySpectrum_[kPeriodicityBins];
  uint32_t segmentRate_ = 0;  // sampling rate of the segment being filled
};
