// Synthetic beat streams: silence with a short 200 Hz burst at every beat.
//
// The stream used to check the tempo detector end to end: a burst of 441
// samples, sample j = 16000 x sin(2 pi x 200 x j / rate) truncated toward
// zero, starting at sample 0 and then every `interval` samples. At 44100 Hz
// an interval of 22050 samples is 120 beats per minute.
#pragma once

#include <cstdint>
#include <vector>

struct BeatStreamShape {
  uint32_t sampleRate = 44100;
  uint32_t interval = 22050;  // samples from one burst to the next
  uint32_t totalSamples = 2690100;
  uint32_t burstLength = 441;
  double amplitude = 16000.0;
  double toneHz = 200.0;
};

// Mono 16-bit samples of the stream.
std::vector<int16_t> MakeBeatStream(const BeatStreamShape& shape);

// The samples as little-endian bytes, repeated over `channels` channels.
std::vector<uint8_t> ToPcmBytes(const std::vector<int16_t>& samples, uint32_t channels);
