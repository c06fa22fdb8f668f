// Frame building of the Layer I test encoder: analysis, scale factors, the
// pattern allocation within the frame's bit budget, quantisation, CRC.
#include "layer1_encoder.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "bit_writer.h"
#include "layer1_tables.h"

namespace tempyra::layer1enc {
namespace {

constexpr int kBitrates[15] = {0,   32,  64,  96,  128, 160, 192, 224,
                               256, 288, 320, 352, 384, 416, 448};
// The low sampling frequencies (MPEG-2 and MPEG-2.5) have their own Layer I rates.
constexpr int kLsfBitrates[15] = {0,   32,  48,  56,  64,  80,  96, 112,
                                  128, 144, 160, 176, 192, 224, 256};

// Sampling rates by version (1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5) and index.
constexpr int kSampleRates[3][3] = {
    {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// Version (1-3) and sampling-rate index of a rate; version 0 when none has it.
std::pair<int, int> versionOfRate(int rate) {
  for (int v = 0; v < 3; ++v)
    for (int i = 0; i < 3; ++i)
      if (kSampleRates[v][i] == rate) return {v + 1, i};
  return {0, 0};
}

const int* bitratesOfVersion(int version) {
  return version == 1 ? kBitrates : kLsfBitrates;
}

// A subband whose peak is below one step of 16-bit PCM carries nothing worth coding.
constexpr double kSilentPeak = 1.0 / 32768.0;

// Index of the smallest scale factor that is not below the peak.
int scaleFactorIndex(double peak) {
  int index = 0;
  while (index < 62 && kScaleFactors[index + 1] >= peak) ++index;
  return index;
}

// Quantises x (|x| <= 1) to an nb-bit code of a 2^nb - 1 level quantiser.
uint32_t quantise(double x, int nb) {
  const double levels = static_cast<double>((1u << nb) - 1u);
  long code = std::lround(x * levels / 2.0 + (levels - 1.0) / 2.0);
  code = std::clamp(code, 0L, static_cast<long>(levels) - 1);
  return static_cast<uint32_t>(code);
}

struct Entry {
  int subband;
  int channel;  // -1: shared by both channels above the joint-stereo bound
};

}  // namespace

bool Layer1Encoder::validate(const EncoderSettings& s, std::string& error) {
  const int version = versionOfRate(s.sampleRate).first;
  if (version == 0) {
    error =
        "sampling rate must be 32000, 44100, 48000 (MPEG-1), 16000, 22050, 24000 (MPEG-2) or 8000, "
        "11025, 12000 (MPEG-2.5)";
    return false;
  }
  const int* rates = bitratesOfVersion(version);
  if (std::find(rates + 1, rates + 15, s.bitrateKbps) == rates + 15) {
    error = version == 1
                ? "bit rate must be one of 32, 64, ..., 448 kbit/s"
                : "bit rate must be one of 32, 48, 56, 64, 80, ..., 176, 192, 224, 256 kbit/s";
    return false;
  }
  if (s.modeExtension < -1 || s.modeExtension > 3) {
    error = "mode extension must be 0-3 or cycle";
    return false;
  }
  return true;
}

Layer1Encoder::Layer1Encoder(const EncoderSettings& settings) : settings_(settings) {
  const auto [version, rateIndex] = versionOfRate(settings.sampleRate);
  version_ = version;
  rateIndex_ = rateIndex;
  const int* rates = bitratesOfVersion(version);
  bitrateIndex_ = static_cast<int>(std::find(rates, rates + 15, settings.bitrateKbps) - rates);
}

void Layer1Encoder::encodeFrame(const std::array<const double*, 2>& input,
                                std::vector<uint8_t>& out) {
  const int nch = channels();
  const long frame = stats_.frames;

  // Frame length in 4-byte slots, padded so the average bit rate is exact.
  const long bits12 = 12L * settings_.bitrateKbps * 1000L;
  paddingRemainder_ += bits12 % settings_.sampleRate;
  int padding = 0;
  if (paddingRemainder_ >= settings_.sampleRate) {
    paddingRemainder_ -= settings_.sampleRate;
    padding = 1;
  }
  const std::size_t frameBytes =
      static_cast<std::size_t>(4 * (bits12 / settings_.sampleRate + padding));

  // Subband samples [channel][block][subband].
  double samples[2][12][32] = {};
  for (int ch = 0; ch < nch; ++ch)
    for (int block = 0; block < 12; ++block)
      filterbanks_[static_cast<std::size_t>(ch)].process(
          input[static_cast<std::size_t>(ch)] + 32 * block, samples[ch][block]);

  int modeExtension = 0;
  int bound = 32;
  if (settings_.mode == ChannelMode::Joint) {
    modeExtension =
        settings_.modeExtension >= 0 ? settings_.modeExtension : static_cast<int>(frame % 4);
    bound = 4 * (modeExtension + 1);
    ++stats_.modeExtensions[static_cast<std::size_t>(modeExtension)];
  }

  // Peaks and scale factors per channel, and for the shared (summed) subbands.
  double shared[12][32] = {};
  int scale[2][32] = {};
  int sharedScale[32] = {};
  double peak[2][32] = {};
  for (int sb = 0; sb < 32; ++sb) {
    double sharedPeak = 0.0;
    for (int block = 0; block < 12; ++block) {
      for (int ch = 0; ch < nch; ++ch)
        peak[ch][sb] = std::max(peak[ch][sb], std::abs(samples[ch][block][sb]));
      if (nch == 2) {
        shared[block][sb] = (samples[0][block][sb] + samples[1][block][sb]) / 2.0;
        sharedPeak = std::max(sharedPeak, std::abs(shared[block][sb]));
      }
    }
    for (int ch = 0; ch < nch; ++ch) scale[ch][sb] = scaleFactorIndex(peak[ch][sb]);
    sharedScale[sb] = scaleFactorIndex(sharedPeak);
  }

  // The allocation pattern, then entries dropped in a rotating order until the frame's bits
  // suffice.
  std::vector<Entry> entries;
  for (int sb = 0; sb < 32; ++sb) {
    if (sb < bound)
      for (int ch = 0; ch < nch; ++ch) entries.push_back({sb, ch});
    else
      entries.push_back({sb, -1});
  }
  std::vector<int> allocation(entries.size(), 0);
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const Entry& entry = entries[e];
    const double p = entry.channel >= 0 ? peak[entry.channel][entry.subband]
                                        : std::max(peak[0][entry.subband], peak[1][entry.subband]);
    if (p < kSilentPeak) continue;
    const int ch = std::max(entry.channel, 0);
    allocation[e] = 1 + static_cast<int>((frame * 3 + entry.subband * 5 + ch * 7) % 14);
  }
  const auto cost = [&](std::size_t e) {
    if (allocation[e] == 0) return 0L;
    const long scaleBits = entries[e].channel >= 0 ? 6 : 6L * nch;
    return scaleBits + 12L * (allocation[e] + 1);
  };
  long budget = static_cast<long>(frameBytes) * 8 - 32 - (settings_.crc ? 16 : 0) -
                4L * static_cast<long>(entries.size());
  long used = 0;
  for (std::size_t e = 0; e < entries.size(); ++e) used += cost(e);
  const std::size_t start = static_cast<std::size_t>(frame * 11) % entries.size();
  for (std::size_t i = 0; i < entries.size() && used > budget; ++i) {
    const std::size_t e = (start + i) % entries.size();
    used -= cost(e);
    allocation[e] = 0;
  }

  // Header.
  BitWriter bits(frameBytes);
  bits.write(version_ == 3 ? 0xFFE : 0xFFF, 12);  // MPEG-2.5: the last sync bit is 0
  bits.write(version_ == 1 ? 1 : 0, 1);           // ID: MPEG-1, or the low sampling frequencies
  bits.write(3, 2);                               // Layer I
  bits.write(settings_.crc ? 0 : 1, 1);           // protection bit: 0 = CRC follows
  bits.write(static_cast<uint32_t>(bitrateIndex_), 4);
  bits.write(static_cast<uint32_t>(rateIndex_), 2);
  bits.write(static_cast<uint32_t>(padding), 1);
  bits.write(0, 1);  // private bit
  bits.write(static_cast<uint32_t>(settings_.mode), 2);
  bits.write(static_cast<uint32_t>(modeExtension), 2);
  bits.write(0, 1);                      // copyright
  bits.write(1, 1);                      // original
  bits.write(0, 2);                      // emphasis
  if (settings_.crc) bits.write(0, 16);  // filled in below

  const std::size_t allocationStart = bits.position();
  for (std::size_t e = 0; e < entries.size(); ++e) {
    bits.write(static_cast<uint32_t>(allocation[e]), 4);
    ++stats_.allocations[static_cast<std::size_t>(allocation[e])];
    if (entries[e].subband == 31 && allocation[e]) ++stats_.topSubbandFrames;
  }
  if (settings_.crc) {
    // CRC over the header's last 16 bits and the bit allocation.
    uint16_t crc = bits.crc(16, 16);
    crc = bits.crc(allocationStart, bits.position() - allocationStart, crc);
    std::vector<uint8_t>& data = bits.bytes();
    data[4] = static_cast<uint8_t>(crc >> 8);
    data[5] = static_cast<uint8_t>(crc);
  }

  // Scale factors, subband by subband, channel by channel.
  for (std::size_t e = 0; e < entries.size(); ++e) {
    if (!allocation[e]) continue;
    const Entry& entry = entries[e];
    if (entry.channel >= 0) {
      bits.write(static_cast<uint32_t>(scale[entry.channel][entry.subband]), 6);
    } else {
      for (int ch = 0; ch < nch; ++ch)
        bits.write(static_cast<uint32_t>(scale[ch][entry.subband]), 6);
    }
  }

  // Samples, block by block.
  for (int block = 0; block < 12; ++block) {
    for (std::size_t e = 0; e < entries.size(); ++e) {
      if (!allocation[e]) continue;
      const Entry& entry = entries[e];
      const int nb = allocation[e] + 1;
      double x;
      if (entry.channel >= 0)
        x = samples[entry.channel][block][entry.subband] /
            kScaleFactors[scale[entry.channel][entry.subband]];
      else
        x = shared[block][entry.subband] / kScaleFactors[sharedScale[entry.subband]];
      bits.write(quantise(x, nb), nb);
    }
  }

  const std::vector<uint8_t>& data = bits.bytes();
  out.insert(out.end(), data.begin(), data.end());
  ++stats_.frames;
}

}  // namespace tempyra::layer1enc
