// tempyra-layer1enc: encodes a 16-bit WAV file as an MPEG-1 Layer I stream,
// for the decoder's reference checks (no Debian encoder writes Layer I).
// Prints what the stream holds (frames, allocation values used, joint-stereo
// mode extensions) on standard error.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "layer1_encoder.h"
#include "wav_file.h"

using namespace tempyra::layer1enc;

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: tempyra-layer1enc [options] IN.wav OUT.mp1\n"
               "  --mode M        stereo, joint, dual or mono (default stereo; mono needs a\n"
               "                  one-channel input, the others two channels)\n"
               "  --bitrate K     kbit/s: 32, 64, 96, ..., 448 (default 384); at 22050, 24000,\n"
               "                  16000, 11025, 12000 and 8000 Hz: 32, 48, 56, 64, 80, ..., 256\n"
               "  --bound B       joint stereo: mode extension 0-3 (bound 4, 8, 12, 16) or\n"
               "                  cycle (all four in turn, the default)\n"
               "  --crc           protect every frame with a CRC\n");
}

}  // namespace

int main(int argc, char** argv) {
  EncoderSettings settings;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--crc") {
      settings.crc = true;
    } else if ((arg == "--mode" || arg == "--bitrate" || arg == "--bound") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--mode") {
        if (value == "stereo")
          settings.mode = ChannelMode::Stereo;
        else if (value == "joint")
          settings.mode = ChannelMode::Joint;
        else if (value == "dual")
          settings.mode = ChannelMode::Dual;
        else if (value == "mono")
          settings.mode = ChannelMode::Mono;
        else {
          usage();
          return 2;
        }
      } else if (arg == "--bitrate") {
        settings.bitrateKbps = std::atoi(value.c_str());
      } else {
        settings.modeExtension = value == "cycle" ? -1 : std::atoi(value.c_str());
        if (value != "cycle" && (value.size() != 1 || value[0] < '0' || value[0] > '3')) {
          usage();
          return 2;
        }
      }
    } else if (arg.rfind("--", 0) == 0) {
      usage();
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.size() != 2) {
    usage();
    return 2;
  }

  tempyra::testsignal::WavAudio audio;
  std::string error;
  if (!tempyra::testsignal::readWav(files[0], audio, error)) {
    std::fprintf(stderr, "tempyra-layer1enc: %s\n", error.c_str());
    return 1;
  }
  settings.sampleRate = audio.sampleRate;
  if (!Layer1Encoder::validate(settings, error)) {
    std::fprintf(stderr, "tempyra-layer1enc: %s\n", error.c_str());
    return 2;
  }
  Layer1Encoder encoder(settings);
  if (audio.channels != encoder.channels()) {
    std::fprintf(stderr, "tempyra-layer1enc: mode %s needs %d input channel(s), the file has %d\n",
                 settings.mode == ChannelMode::Mono ? "mono" : "stereo", encoder.channels(),
                 audio.channels);
    return 2;
  }

  // Planar channels, padded with silence to whole frames.
  const std::size_t frames = (audio.framesPerChannel() + 383) / 384;
  std::vector<std::vector<double>> planar(2, std::vector<double>(frames * 384, 0.0));
  for (std::size_t n = 0; n < audio.framesPerChannel(); ++n)
    for (int ch = 0; ch < audio.channels; ++ch)
      planar[static_cast<std::size_t>(ch)][n] =
          audio.samples[n * static_cast<std::size_t>(audio.channels) +
                        static_cast<std::size_t>(ch)] /
          32768.0;

  std::vector<uint8_t> stream;
  for (std::size_t f = 0; f < frames; ++f)
    encoder.encodeFrame({planar[0].data() + f * 384, planar[1].data() + f * 384}, stream);

  std::ofstream out(files[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(stream.data()),
            static_cast<std::streamsize>(stream.size()));
  if (!out) {
    std::fprintf(stderr, "tempyra-layer1enc: cannot write %s\n", files[1].c_str());
    return 1;
  }

  const EncoderStats& stats = encoder.stats();
  std::fprintf(stderr, "frames=%ld allocations=", stats.frames);
  for (int a = 0; a < 16; ++a)
    std::fprintf(stderr, "%s%ld", a ? "," : "", stats.allocations[static_cast<std::size_t>(a)]);
  std::fprintf(stderr, " mode_extensions=%ld,%ld,%ld,%ld top_subband_frames=%ld\n",
               stats.modeExtensions[0], stats.modeExtensions[1], stats.modeExtensions[2],
               stats.modeExtensions[3], stats.topSubbandFrames);
  return 0;
}
