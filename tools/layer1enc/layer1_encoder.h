// A small MPEG Layer I encoder for testing decoders (MPEG-1, and the low
// sampling frequencies of MPEG-2 and MPEG-2.5).
//
// It produces valid frames, not good sound: the bit allocation follows a
// fixed pattern that walks every allocation value 1-14 through the subbands
// and channels from frame to frame (0 for subbands without signal and where
// the frame's bits run out), so a few seconds of audio exercise every
// quantiser. Joint stereo codes the subbands from the bound up once for both
// channels (their sum), with each channel's own scale factor; the bound is
// fixed or cycles through all four mode extensions. Allocation 15 is
// forbidden in Layer I and never written.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis_filterbank.h"

namespace tempyra::layer1enc {

enum class ChannelMode { Stereo = 0, Joint = 1, Dual = 2, Mono = 3 };

struct EncoderSettings {
  int sampleRate = 48000;  // 32000, 44100 or 48000
  ChannelMode mode = ChannelMode::Stereo;
  int bitrateKbps = 384;
  bool crc = false;
  int modeExtension = -1;  // joint stereo: 0-3 for a fixed bound, -1 to cycle through all four
};

struct EncoderStats {
  long frames = 0;
  std::array<long, 16> allocations{};    // how often each allocation value was written
  std::array<long, 4> modeExtensions{};  // joint-stereo frames per mode extension
  long topSubbandFrames = 0;             // frames giving subband 31 an allocation
};

class Layer1Encoder {
 public:
  // Returns false with a message when the settings are not a valid Layer I stream.
  static bool validate(const EncoderSettings& settings, std::string& error);

  explicit Layer1Encoder(const EncoderSettings& settings);

  int channels() const { return settings_.mode == ChannelMode::Mono ? 1 : 2; }

  // Encodes 384 samples per channel (full scale 1.0) and appends the frame.
  void encodeFrame(const std::array<const double*, 2>& input, std::vector<uint8_t>& out);

  const EncoderStats& stats() const { return stats_; }

 private:
  EncoderSettings settings_;
  int version_ = 1;  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int bitrateIndex_ = 0;
  int rateIndex_ = 0;
  long paddingRemainder_ = 0;
  std::array<AnalysisFilterbank, 2> filterbanks_;
  EncoderStats stats_;
};

}  // namespace tempyra::layer1enc
