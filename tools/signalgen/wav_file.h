// 16-bit PCM WAV files: writing the test signals and reading them back.
//
// Only the plain RIFF/WAVE layout with one "fmt " chunk of PCM format 1 and
// 16-bit samples is produced; the reader accepts that layout with any extra
// chunks before "data", which is what lame, twolame and our own tools need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tempyra::testsignal {

struct WavAudio {
  int sampleRate = 0;
  int channels = 0;
  // Interleaved samples, left first for two channels.
  std::vector<int16_t> samples;

  std::size_t framesPerChannel() const {
    return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
  }
};

// Writes the audio as a 16-bit PCM WAV file. Returns false (with a message in
// error) when the file cannot be written.
bool writeWav(const std::string& path, const WavAudio& audio, std::string& error);

// Reads a 16-bit PCM WAV file. Returns false (with a message in error) for
// anything else.
bool readWav(const std::string& path, WavAudio& audio, std::string& error);

}  // namespace tempyra::testsignal
