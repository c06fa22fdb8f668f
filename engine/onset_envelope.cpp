// Onset strength curve. See onset_envelope.h.
#include "engine/onset_envelope.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

// log2(x) for x >= 1 within about 0.005: the exponent plus a quadratic in
// the mantissa. The flux only compares values of nearby frames, so the
// small error cancels almost entirely.
inline float FastLog2(float x) {
  uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const float exponent = static_cast<float>(static_cast<int32_t>((bits >> 23) & 255u) - 127);
  bits = (bits & 0x007FFFFFu) | 0x3F800000u;
  float m;
  std::memcpy(&m, &bits, sizeof m);
  return exponent + (-0.34484843f * m + 2.02466578f) * m - 1.67487759f;
}

// Power (of a 16-bit scaled, Hann-windowed frame) at which the compression
// turns from linear to logarithmic: about 70 dB below a full-scale tone.
constexpr float kCompression = 1e-6f;

}  // namespace

OnsetEnvelope::OnsetEnvelope()
    : fft_(kFrameLength),
      history_(kFrameLength, 0.0f),
      window_(kFrameLength),
      frame_(kFrameLength),
      power_(kFrameLength / 2 + 1),
      previous_(kFrameLength / 2 + 1) {
  const double twoPi = 6.283185307179586;
  for (uint32_t i = 0; i < kFrameLength; ++i)
    window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(twoPi * (i + 0.5) / kFrameLength));
  Start(kReducedRate);
}

void OnsetEnvelope::Start(uint32_t sampleRate) {
  if (sampleRate == 0) sampleRate = 1;
  reduction_ = static_cast<uint32_t>(std::lround(static_cast<double>(sampleRate) / kReducedRate));
  if (reduction_ == 0) reduction_ = 1;
  valueRate_ = static_cast<double>(sampleRate) / (static_cast<double>(reduction_) * kHop);
  std::fill(history_.begin(), history_.end(), 0.0f);
  writeAt_ = 0;
  filled_ = 0;
  partialSum_ = 0;
  partialFrames_ = 0;
  havePrevious_ = false;
  std::fill(bandMean_, bandMean_ + kBands, 0.0f);
  std::fill(bandValue_, bandValue_ + kBands, 0.0f);
  framesSeen_ = 0;
  sampleScale_ = 1.0f / static_cast<float>(reduction_);
}

uint32_t OnsetEnvelope::MixDown(const uint8_t* pcm, uint32_t frames, uint32_t bits,
                                uint32_t channels, uint32_t room) {
  // Sums are kept in 16-bit units: an 8-bit sample counts 256 times.
  const float scale = sampleScale_ / static_cast<float>(channels) * (bits == 8 ? 256.0f : 1.0f);
  uint32_t made = 0, used = 0;
  int64_t sum = partialSum_;
  uint32_t inGroup = partialFrames_;
  float* history = history_.data();
  if (bits == 16 && channels == 2 && std::endian::native == std::endian::little) {
    // The common case, decoded stereo, in three steps: finish the group
    // begun in an earlier block, then whole groups of D frames, then the
    // start of a group that the next block finishes.
    auto sumFrames = [&](uint32_t from, uint32_t count) {
      int32_t groupSum = 0;
      const uint8_t* s = pcm + 4 * static_cast<size_t>(from);
      for (uint32_t i = 0; i < 2 * count; ++i) {
        int16_t sample;
        std::memcpy(&sample, s + 2 * static_cast<size_t>(i), sizeof sample);
        groupSum += sample;
      }
      return groupSum;
    };
    auto store = [&](int64_t groupSum) {
      history[writeAt_] = static_cast<float>(groupSum) * scale;
      writeAt_ = (writeAt_ + 1) & (kFrameLength - 1);
      ++made;
    };
    if (inGroup != 0) {
      const uint32_t take = std::min(reduction_ - inGroup, frames);
      sum += sumFrames(0, take);
      used = take;
      inGroup += take;
      if (inGroup == reduction_) {
        store(sum);
        sum = 0;
        inGroup = 0;
      }
    }
    while (inGroup == 0 && made < room && frames - used >= reduction_) {
      store(sumFrames(used, reduction_));
      used += reduction_;
    }
    if (inGroup == 0 && made < room && used < frames) {
      inGroup = frames - used;
      sum = sumFrames(used, inGroup);
      used = frames;
    }
  } else if (bits == 16 && channels == 2) {
    for (; used < frames && made < room; ++used) {
      const auto* s = pcm + 4 * static_cast<size_t>(used);
      sum += static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8))) +
             static_cast<int16_t>(static_cast<uint16_t>(s[2] | (s[3] << 8)));
      if (++inGroup == reduction_) {
        history[writeAt_] = static_cast<float>(sum) * scale;
        writeAt_ = (writeAt_ + 1) & (kFrameLength - 1);
        sum = 0;
        inGroup = 0;
        ++made;
      }
    }
  } else {
    const uint32_t bytes = bits / 8;
    for (; used < frames && made < room; ++used) {
      const uint8_t* s = pcm + static_cast<size_t>(used) * channels * bytes;
      for (uint32_t c = 0; c < channels; ++c, s += bytes)
        sum += bits == 8 ? static_cast<int8_t>(s[0])
                         : static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8)));
      if (++inGroup == reduction_) {
        history[writeAt_] = static_cast<float>(sum) * scale;
        writeAt_ = (writeAt_ + 1) & (kFrameLength - 1);
        sum = 0;
        inGroup = 0;
        ++made;
      }
    }
  }
  partialSum_ = sum;
  partialFrames_ = inGroup;
  usedFrames_ = used;
  return made;
}

float OnsetEnvelope::FrameFlux() {
  // The ring's oldest value sits at writeAt_.
  const uint32_t older = kFrameLength - writeAt_;
  for (uint32_t i = 0; i < older; ++i) frame_[i] = history_[writeAt_ + i] * window_[i];
  for (uint32_t i = older; i < kFrameLength; ++i) frame_[i] = history_[i - older] * window_[i];
  fft_.Power(frame_.data(), power_.data());
  // Compressed levels first (a loop the compiler can run several bins at a
  // time), then each band's rises against the previous frame.
  const uint32_t bins = kFrameLength / 2;
  float* level = power_.data();
  for (uint32_t k = 1; k < bins; ++k) level[k] = FastLog2(1.0f + kCompression * level[k]);
  if (!havePrevious_) {
    // The stream's first frame only sets the levels to rise from.
    std::copy(level + 1, level + bins, previous_.begin() + 1);
    havePrevious_ = true;
    return 0.0f;
  }
  float levelSum = 0.0f;
  // The means start as plain averages of the values so far, so that the
  // first seconds are not weighed against a mean still near zero.
  if (framesSeen_ < kMeanWarmUp) ++framesSeen_;
  const float follow = std::max(kMeanFollow, 1.0f / static_cast<float>(framesSeen_));
  uint32_t k = 1;
  for (uint32_t band = 0; band < kBands; ++band) {
    float bandFlux = 0.0f;
    for (; k < kBandEnds[band]; ++k) {
      bandFlux += std::max(level[k] - previous_[k], 0.0f);
      previous_[k] = level[k];
    }
    // Each band counts by its rises relative to its own running mean, so
    // that a kick drum's few low bins weigh as much as a snare's many.
    float& mean = bandMean_[band];
    mean += follow * (bandFlux - mean);
    bandFlux_[band] = bandFlux;
    levelSum += mean;
  }
  float flux = 0.0f;
  const float floor = 0.25f * levelSum / kBands + 1e-3f;
  for (uint32_t b = 0; b < kBands; ++b) {
    bandValue_[b] = bandFlux_[b] / (bandMean_[b] + floor);
    flux += bandValue_[b];
  }
  return flux;
}
