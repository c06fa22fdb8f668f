// Synthetic beat streams. See beat_stream.h.
#include "tools/beatgen/beat_stream.h"

#include <cmath>

std::vector<int16_t> MakeBeatStream(const BeatStreamShape& shape) {
  std::vector<int16_t> samples(shape.totalSamples, 0);
  if (shape.interval == 0) return samples;
  const double twoPi = 6.283185307179586;
  for (uint64_t start = 0; start < shape.totalSamples; start += shape.interval) {
    for (uint32_t j = 0; j < shape.burstLength && start + j < shape.totalSamples; ++j) {
      double value = shape.amplitude * std::sin(twoPi * shape.toneHz * j / shape.sampleRate);
      samples[start + j] = static_cast<int16_t>(std::trunc(value));
    }
  }
  return samples;
}

std::vector<uint8_t> ToPcmBytes(const std::vector<int16_t>& samples, uint32_t channels) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2 * channels);
  for (int16_t s : samples) {
    for (uint32_t c = 0; c < channels; ++c) {
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) & 0xFF));
      bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
  }
  return bytes;
}
