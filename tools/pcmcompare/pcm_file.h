// Raw PCM files as the decoders write them: 16-bit little-endian integers or
// 32-bit little-endian floats (full scale 1.0), channels interleaved.
//
// Both are turned into 16-bit sample values held as int32, so the comparison
// works on the numbers a 16-bit output would carry. Float input is scaled by
// 32768 and then truncated toward zero or rounded, and clipped to the 16-bit
// range, so a float reference can be brought to the same rounding rule as the
// decoder under test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tempyra::pcmcompare {

enum class SampleFormat { S16, F32 };
enum class FloatRounding { TowardZero, Nearest };

struct PcmData {
  int channels = 1;
  std::vector<int32_t> samples;  // interleaved

  std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
  int32_t at(std::size_t frame, int channel) const {
    return samples[frame * static_cast<std::size_t>(channels) + static_cast<std::size_t>(channel)];
  }
};

// Reads a whole raw file. A trailing partial sample or partial channel group
// is dropped. Returns false with a message in error when the file cannot be read.
bool readPcm(const std::string& path, SampleFormat format, FloatRounding rounding, int channels,
             PcmData& data, std::string& error);

// Converts one float sample (full scale 1.0) to a 16-bit value by the rule.
int32_t floatToPcm16(float value, FloatRounding rounding);

}  // namespace tempyra::pcmcompare
