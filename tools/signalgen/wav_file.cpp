// 16-bit PCM WAV reading and writing for the test-signal tools.
#include "wav_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace tempyra::testsignal {
namespace {

void putLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void putLe16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

uint32_t getLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t getLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

bool writeWav(const std::string& path, const WavAudio& audio, std::string& error) {
  if (audio.channels < 1 || audio.channels > 2 || audio.sampleRate <= 0) {
    error = "unsupported channel count or sampling rate";
    return false;
  }
  const uint32_t dataBytes = static_cast<uint32_t>(audio.samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  putLe32(out, 36 + dataBytes);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  putLe32(out, 16);
  putLe16(out, 1);  // PCM
  putLe16(out, static_cast<uint16_t>(audio.channels));
  putLe32(out, static_cast<uint32_t>(audio.sampleRate));
  putLe32(out, static_cast<uint32_t>(audio.sampleRate * audio.channels * 2));
  putLe16(out, static_cast<uint16_t>(audio.channels * 2));
  putLe16(out, 16);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  putLe32(out, dataBytes);
  for (int16_t s : audio.samples) putLe16(out, static_cast<uint16_t>(s));

  std::ofstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path + " for writing";
    return false;
  }
  file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  file.close();  // a full disk may show only when the last bytes are flushed
  if (!file) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

bool readWav(const std::string& path, WavAudio& audio, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
      std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    error = path + " is not a RIFF/WAVE file";
    return false;
  }
  bool haveFormat = false;
  std::size_t pos = 12;
  while (pos + 8 <= bytes.size()) {
    const uint8_t* chunk = bytes.data() + pos;
    const uint32_t size = getLe32(chunk + 4);
    const std::size_t body = pos + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16 || body + 16 > bytes.size()) break;
      const uint16_t format = getLe16(bytes.data() + body);
      audio.channels = getLe16(bytes.data() + body + 2);
      audio.sampleRate = static_cast<int>(getLe32(bytes.data() + body + 4));
      const uint16_t bits = getLe16(bytes.data() + body + 14);
      if (format != 1 || bits != 16 || audio.channels < 1 || audio.channels > 2) {
        error = path + ": only 16-bit PCM with one or two channels is supported";
        return false;
      }
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) break;
      std::size_t available = bytes.size() - body;
      std::size_t count = (size < available ? size : available) / 2;
      count -= count % static_cast<std::size_t>(audio.channels);
      audio.samples.resize(count);
      for (std::size_t i = 0; i < count; ++i)
        audio.samples[i] = static_cast<int16_t>(getLe16(bytes.data() + body + 2 * i));
      return true;
    }
    pos = body + size + (size & 1);
  }
  error = path + ": no PCM format and data chunk found";
  return false;
}

}  // namespace tempyra::testsignal
