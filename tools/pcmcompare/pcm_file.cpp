// Reading raw 16-bit and float PCM into 16-bit sample values.
#include "pcm_file.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tempyra::pcmcompare {

int32_t floatToPcm16(float value, FloatRounding rounding) {
  const double scaled = static_cast<double>(value) * 32768.0;
  double whole =
      rounding == FloatRounding::TowardZero ? std::trunc(scaled) : std::nearbyint(scaled);
  if (!(whole == whole)) whole = 0.0;  // NaN
  if (whole > 32767.0) whole = 32767.0;
  if (whole < -32768.0) whole = -32768.0;
  return static_cast<int32_t>(whole);
}

bool readPcm(const std::string& path, SampleFormat format, FloatRounding rounding, int channels,
             PcmData& data, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                   std::istreambuf_iterator<char>());
  const std::size_t width = format == SampleFormat::S16 ? 2 : 4;
  std::size_t count = bytes.size() / width;
  count -= count % static_cast<std::size_t>(channels);
  data.channels = channels;
  data.samples.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t* p = bytes.data() + i * width;
    if (format == SampleFormat::S16) {
      data.samples[i] = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    } else {
      const uint32_t bits = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                            (static_cast<uint32_t>(p[2]) << 16) |
                            (static_cast<uint32_t>(p[3]) << 24);
      float value;
      std::memcpy(&value, &bits, sizeof value);
      data.samples[i] = floatToPcm16(value, rounding);
    }
  }
  return true;
}

}  // namespace tempyra::pcmcompare
