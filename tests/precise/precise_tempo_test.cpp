// The precise tempo estimator: exact values on synthetic streams at
// non-integer tempi, the beat level on streams that fool the standard
// estimate, and the standard estimate unchanged behind the shared interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/default_tempo_estimator.h"
#include "engine/onset_envelope.h"
#include "engine/precise_tempo_estimator.h"
#include "engine/real_fft.h"
#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"
#include "tools/beatgen/beat_stream.h"

namespace {

// A stream of decaying noise bursts ("hits") at exact, fractional times.
struct Hit {
  double beat;  // position in beats (fractional: off-beats, swing)
  double gain;
  double toneHz;  // 0: noise; else a decaying sine (a kick-like thump)
};

std::vector<int16_t> Render(const std::vector<Hit>& bar, double beatsPerBar, double bpm,
                            double seconds, uint32_t rate) {
  const auto total = static_cast<size_t>(seconds * rate);
  std::vector<double> mix(total, 0.0);
  const double samplesPerBeat = 60.0 / bpm * rate;
  uint32_t noise = 1;
  for (int b = 0;; ++b) {
    const double barStart = b * beatsPerBar * samplesPerBeat;
    if (barStart >= static_cast<double>(total)) break;
    for (const Hit& h : bar) {
      const auto at = static_cast<size_t>(std::lround(barStart + h.beat * samplesPerBeat));
      for (size_t i = 0; i < rate / 10 && at + i < total; ++i) {
        const double t = static_cast<double>(i) / rate;
        double v;
        if (h.toneHz > 0) {
          v = std::sin(6.283185307179586 * h.toneHz * t);
        } else {
          noise = noise * 1664525u + 1013904223u;
          v = static_cast<double>(noise >> 8) / 8388608.0 - 1.0;
        }
        mix[at + i] += h.gain * v * std::exp(-t * 40.0);
      }
    }
  }
  std::vector<int16_t> out(total);
  for (size_t i = 0; i < total; ++i)
    out[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 20000.0));
  return out;
}

// Feeds mono PCM in decoder-sized blocks.
template <typename Estimator>
void Feed(Estimator& e, const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels = 1) {
  const std::vector<uint8_t> pcm = ToPcmBytes(samples, channels);
  const size_t block = 1152 * 2 * channels;
  for (size_t at = 0; at < pcm.size(); at += block) {
    const auto n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
    e.FeedBlock(pcm.data() + at, n, rate, 2 * channels, channels);
  }
}

// The precise estimate of the samples (with the standard estimate of the
// same audio, which the estimator makes alongside, as one piece of its
// evidence).
TempoEstimate Precise(const std::vector<int16_t>& samples, uint32_t rate, uint32_t channels = 1) {
  PreciseTempoEstimator e;
  Feed(e, samples, rate, channels);
  return e.Estimate();
}

double Default(const std::vector<int16_t>& samples, uint32_t rate) {
  DefaultTempoEstimator e;
  Feed(e, samples, rate);
  return e.Estimate().bpm;
}

std::vector<int16_t> BeatStream(uint32_t rate, uint32_t interval, uint32_t total) {
  BeatStreamShape shape;
  shape.sampleRate = rate;
  shape.interval = interval;
  shape.totalSamples = total;
  return MakeBeatStream(shape);
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// A bar of kick (a low thump), snare (noise) and hats, the hats on eighths.
const std::vector<Hit> kBreakbeat = {{0, 0.9, 60},  {1, 0.7, 0},    {1.5, 0.6, 60}, {2.5, 0.7, 60},
                                     {3, 0.7, 0},   {3.75, 0.2, 0}, {0.5, 0.2, 0},  {1.5, 0.2, 0},
                                     {2.5, 0.2, 0}, {3.5, 0.2, 0}};

}  // namespace

TEST(PreciseTempo, ExactValuesOnSyntheticStreams) {
  // A plain pulse and a syncopated breakbeat, at tempi with two decimals,
  // half a minute and more, mono and stereo, 44100 and 48000 Hz.
  struct Case {
    double bpm, seconds;
    uint32_t rate, channels;
    const std::vector<Hit>* bar;
  };
  const std::vector<Hit> pulse = {{0, 0.9, 0}};
  for (const Case& c :
       {Case{127.35, 30, 44100, 1, &pulse}, Case{127.35, 60, 48000, 2, &pulse},
        Case{93.41, 45, 44100, 1, &pulse}, Case{174.02, 40, 32000, 1, &pulse},
        Case{127.35, 40, 44100, 2, &kBreakbeat}, Case{98.3, 60, 48000, 1, &kBreakbeat}}) {
    const double beats = c.bar == &pulse ? 1 : 4;
    const auto s = Render(*c.bar, beats, c.bpm, c.seconds, c.rate);
    PreciseTempoEstimator e;
    const std::vector<uint8_t> pcm = ToPcmBytes(s, c.channels);
    const size_t block = 1152 * 2 * c.channels;
    for (size_t at = 0; at < pcm.size(); at += block) {
      const auto n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
      e.FeedBlock(pcm.data() + at, n, c.rate, 2 * c.channels, c.channels);
    }
    const TempoEstimate estimate = e.Estimate();
    EXPECT_NEAR(estimate.bpm, c.bpm, 0.02) << c.bpm << " BPM at " << c.rate << " Hz";
    EXPECT_GE(estimate.confidence, 0.3);
    EXPECT_LE(estimate.confidence, 1.0);
  }
}

TEST(PreciseTempo, RightLevelWhereTheStandardEstimateIsFooled) {
  // 90 beats per minute: the standard estimate reads the double (179.60).
  const auto ninety = BeatStream(44100, 29400, 2690100);
  EXPECT_NEAR(Default(ninety, 44100), 179.60, 0.005);
  EXPECT_NEAR(Precise(ninety, 44100).bpm, 90.0, 0.02);
  // 61.7 beats per minute: the standard estimate reads 153.93.
  const auto slow = Render({{0, 0.9, 0}}, 1, 61.7, 60, 44100);
  EXPECT_NEAR(Default(slow, 44100), 153.93, 0.005);
  EXPECT_NEAR(Precise(slow, 44100).bpm, 61.7, 0.02);
  // A syncopated breakbeat: the standard estimate is a third of a BPM off.
  const auto breakbeat = Render(kBreakbeat, 4, 141.2, 60, 44100);
  EXPECT_GT(std::fabs(Default(breakbeat, 44100) - 141.2), 0.2);
  EXPECT_NEAR(Precise(breakbeat, 44100).bpm, 141.2, 0.02);
}

TEST(PreciseTempo, RightLevelInTripleMetre) {
  // 3/4: a thump on one, softer hits on two and three; and 6/8 counted in
  // dotted quarters, every eighth sounding, the first of each three louder.
  const std::vector<Hit> waltz = {{0, 0.9, 60}, {1, 0.4, 0}, {2, 0.4, 0}};
  EXPECT_NEAR(Precise(Render(waltz, 3, 152.3, 60, 44100), 44100).bpm, 152.3, 0.02);
  const std::vector<Hit> sixEight = {{0, 0.9, 60}, {1.0 / 3, 0.03, 0}, {2.0 / 3, 0.03, 0},
                                     {1, 0.7, 0},  {4.0 / 3, 0.03, 0}, {5.0 / 3, 0.03, 0}};
  EXPECT_NEAR(Precise(Render(sixEight, 2, 68.4, 60, 44100), 44100).bpm, 68.4, 0.02);
}

TEST(PreciseTempo, RightLevelOnFastHalfTimeAndOnShuffles) {
  // 176 BPM with a half-time backbeat (kick on one, snare on three) under
  // eighth hats: not 88, not 117 (two thirds).
  const std::vector<Hit> halfTime = {{0, 0.9, 60},  {2, 0.8, 0},  {2.5, 0.5, 60}, {0, 0.25, 0},
                                     {0.5, 0.2, 0}, {1, 0.25, 0}, {1.5, 0.2, 0},  {2.5, 0.2, 0},
                                     {3, 0.25, 0},  {3.5, 0.2, 0}};
  EXPECT_NEAR(Precise(Render(halfTime, 4, 176.4, 50, 44100), 44100).bpm, 176.4, 0.02);
  // A shuffle at 97.3: hats on the beat and on its last triplet, kick on
  // one and three, snare on two and four: not 146 (three halves).
  std::vector<Hit> shuffle = {{0, 0.9, 60}, {1, 0.8, 0}, {2, 0.9, 60}, {3, 0.8, 0}};
  for (int b = 0; b < 4; ++b) {
    shuffle.push_back({b + 0.0, 0.3, 0});
    shuffle.push_back({b + 2.0 / 3, 0.2, 0});
  }
  EXPECT_NEAR(Precise(Render(shuffle, 4, 97.3, 50, 44100), 44100).bpm, 97.3, 0.02);
  // Reggae's one drop at 78.6: kick and rim together on three only, a
  // chord on every off-beat: not 157 (the off-beats' own rate).
  const std::vector<Hit> oneDrop = {{2, 0.9, 60},    {2, 0.6, 0},     {0.5, 0.4, 300},
                                    {1.5, 0.4, 300}, {2.5, 0.4, 300}, {3.5, 0.4, 300}};
  EXPECT_NEAR(Precise(Render(oneDrop, 4, 78.6, 50, 44100), 44100).bpm, 78.6, 0.02);
}

TEST(PreciseTempo, RightLevelOnSlowClicksAndFastDrivingBackbeats) {
  // Bare clicks (tempyra-beatgen's bursts) at 57.0 and 58.6 BPM: not 114
  // or 117, whose every other beat would be silent.
  for (const uint32_t interval : {46421u, 45153u}) {
    const double bpm = 44100.0 * 60.0 / interval;
    EXPECT_NEAR(Precise(BeatStream(44100, interval, 44100 * 45), 44100).bpm, bpm, 0.02) << bpm;
  }
  // Metal at 189.7: kick on every eighth, snare on two and four, hats on
  // the beats: not 94.9, at which the snare would fall on the off-beats.
  std::vector<Hit> metal = {{1, 0.8, 0}, {3, 0.8, 0}};
  for (int i = 0; i < 8; ++i) metal.push_back({i * 0.5, 0.6, 60});
  for (int b = 0; b < 4; ++b) metal.push_back({b + 0.0, 0.25, 0});
  EXPECT_NEAR(Precise(Render(metal, 4, 189.7, 45, 44100), 44100).bpm, 189.7, 0.02);
}

TEST(PreciseTempo, NothingToMeasureGivesNoTempo) {
  // Silence, a few seconds of beats, and steady noise with no beat.
  EXPECT_TRUE(std::isnan(Precise(std::vector<int16_t>(44100 * 40, 0), 44100).bpm));
  EXPECT_TRUE(std::isnan(Precise(Render({{0, 0.9, 0}}, 1, 120, 4, 44100), 44100).bpm));
  std::vector<int16_t> noise(44100 * 40);
  uint32_t state = 7;
  for (int16_t& v : noise) {
    state = state * 1664525u + 1013904223u;
    v = static_cast<int16_t>(static_cast<int32_t>(state >> 20) - 2048);
  }
  const TempoEstimate e = Precise(noise, 44100);
  EXPECT_TRUE(std::isnan(e.bpm) || e.confidence < 0.15) << e.bpm << " " << e.confidence;
  PreciseTempoEstimator untouched;
  EXPECT_TRUE(std::isnan(untouched.Estimate().bpm));
}

TEST(PreciseTempo, EstimateRepeatsAndResetForgetsThePreviousFile) {
  PreciseTempoEstimator e;
  Feed(e, Render({{0, 0.9, 0}}, 1, 101.5, 40, 44100), 44100);
  const TempoEstimate first = e.Estimate();
  const TempoEstimate second = e.Estimate();
  EXPECT_TRUE(SameBits(first.bpm, second.bpm));
  EXPECT_TRUE(SameBits(first.confidence, second.confidence));
  // A second file, at another rate: nothing of the first may remain.
  const auto other = Render({{0, 0.9, 0}}, 1, 133.3, 40, 48000);
  e.Reset();
  Feed(e, other, 48000);
  EXPECT_TRUE(SameBits(e.Estimate().bpm, Precise(other, 48000).bpm));
}

TEST(PreciseTempo, BlocksItCannotReadArePassedOver) {
  const auto s = Render({{0, 0.9, 0}}, 1, 120.5, 40, 44100);
  PreciseTempoEstimator clean, mixed;
  Feed(clean, s, 44100);
  const std::vector<uint8_t> junk(4000, 0x7F);
  // A rate other than the stream's, 24-bit frames, a frame size that is no
  // whole number of samples, a rate out of range: none of them counts.
  mixed.FeedBlock(junk.data(), 0, 44100, 2, 1);
  Feed(mixed, std::vector<int16_t>(s.begin(), s.begin() + 44100 * 20), 44100);
  mixed.FeedBlock(junk.data(), 4000, 22050, 2, 1);
  mixed.FeedBlock(junk.data(), 3999, 44100, 3, 1);
  mixed.FeedBlock(junk.data(), 3999, 44100, 3, 2);
  mixed.FeedBlock(junk.data(), 4000, 8, 2, 1);
  mixed.FeedBlock(junk.data(), 4000, 1000000, 2, 1);
  Feed(mixed, std::vector<int16_t>(s.begin() + 44100 * 20, s.end()), 44100);
  EXPECT_TRUE(SameBits(clean.Estimate().bpm, mixed.Estimate().bpm));
  EXPECT_NEAR(mixed.Estimate().bpm, 120.5, 0.02);
}

TEST(PreciseTempo, EightBitStereoReadsLikeSixteenBitMono) {
  const auto s = Render({{0, 0.9, 0}, {0.5, 0.3, 0}}, 1, 111.1, 40, 22050);
  std::vector<uint8_t> pcm8;
  for (int16_t v : s) {
    const auto b = static_cast<uint8_t>(static_cast<int8_t>(v / 256));
    pcm8.push_back(b);
    pcm8.push_back(b);
  }
  PreciseTempoEstimator e;
  for (size_t at = 0; at < pcm8.size(); at += 2304)
    e.FeedBlock(pcm8.data() + at, static_cast<uint32_t>(std::min<size_t>(2304, pcm8.size() - at)),
                22050, 2, 2);
  EXPECT_NEAR(e.Estimate().bpm, 111.1, 0.02);
}

TEST(PreciseTempo, CurveMemoryIsAFewBytesPerSecond) {
  for (uint32_t rate : {44100u, 48000u, 32000u}) {
    PreciseTempoEstimator e;
    Feed(e, Render({{0, 0.9, 0}}, 1, 120, 300, rate), rate);
    EXPECT_NEAR(e.SecondsFed(), 300.0, 0.01);
    const double perSecond = static_cast<double>(e.CurveBytes()) / e.SecondsFed();
    EXPECT_GT(perSecond, 20.0) << rate;
    EXPECT_LT(perSecond, 31.0) << rate;
    // The kick, snare and hat bands: three coarse curves of a byte a value.
    const double bandsPerSecond = static_cast<double>(e.BandCurveBytes()) / e.SecondsFed();
    EXPECT_GT(bandsPerSecond, 25.0) << rate;
    EXPECT_LT(bandsPerSecond, 46.0) << rate;
  }
}

TEST(DefaultEstimator, SameBitsAsTheDetectorAndEstimationAlone) {
  // The interface only forwards: the value is bit for bit the one of the
  // detector and EstimateTempo, the known ones included (119.77 and 179.60).
  for (uint32_t interval : {22050u, 29400u, 25000u}) {
    const auto s = BeatStream(44100, interval, 2690100);
    TempoDetector detector;
    const std::vector<uint8_t> pcm = ToPcmBytes(s, 1);
    for (size_t at = 0; at < pcm.size(); at += 2304)
      detector.FeedBlock(pcm.data() + at,
                         static_cast<uint32_t>(std::min<size_t>(2304, pcm.size() - at)), 44100, 2,
                         1);
    const double alone = EstimateTempo(detector.PeriodicitySpectrum(), 44100, 30.0, 240.0);
    DefaultTempoEstimator e;
    Feed(e, s, 44100);
    const TempoEstimate viaInterface = e.Estimate();
    EXPECT_TRUE(SameBits(alone, viaInterface.bpm)) << interval;
    EXPECT_TRUE(std::isnan(viaInterface.confidence));
    if (interval == 22050) {
      EXPECT_NEAR(alone, 119.77, 0.005);
    }
    if (interval == 29400) {
      EXPECT_NEAR(alone, 179.60, 0.005);
    }
  }
}

TEST(RealFft, PowerMatchesADirectTransform) {
  for (uint32_t n : {4u, 8u, 64u, 256u}) {
    std::vector<float> x(n);
    uint32_t state = n;
    for (float& v : x) {
      state = state * 1664525u + 1013904223u;
      v = static_cast<float>(state >> 8) / 8388608.0f - 1.0f;
    }
    RealFft fft(n);
    std::vector<float> power(n / 2 + 1);
    fft.Power(x.data(), power.data());
    for (uint32_t k = 0; k <= n / 2; ++k) {
      std::complex<double> sum(0, 0);
      for (uint32_t j = 0; j < n; ++j)
        sum += static_cast<double>(x[j]) * std::polar(1.0, -6.283185307179586 * j * k / n);
      EXPECT_NEAR(power[k], std::norm(sum), 1e-4 * n * n) << n << " bin " << k;
    }
  }
}

TEST(OnsetEnvelope, ValueRateAndOneRiseAtAnOnset) {
  OnsetEnvelope envelope;
  envelope.Start(44100);
  EXPECT_DOUBLE_EQ(envelope.ValueRate(), 44100.0 / (4 * 128));
  envelope.Start(48000);
  EXPECT_DOUBLE_EQ(envelope.ValueRate(), 48000.0 / (4 * 128));
  envelope.Start(8000);
  EXPECT_DOUBLE_EQ(envelope.ValueRate(), 8000.0 / 128);
  // Silence, then a burst: the largest value comes within two frames of
  // the burst's start, and silence gives nothing.
  envelope.Start(44100);
  std::vector<int16_t> s(44100, 0);
  for (size_t i = 30000; i < 31000; ++i) s[i] = static_cast<int16_t>((i % 7) * 3000 - 9000);
  const std::vector<uint8_t> pcm = ToPcmBytes(s, 1);
  std::vector<float> values;
  envelope.Feed(pcm.data(), static_cast<uint32_t>(s.size()), 16, 1,
                [&](float v) { values.push_back(v); });
  ASSERT_EQ(values.size(), 44100u / 512);
  const auto peak =
      static_cast<size_t>(std::max_element(values.begin(), values.end()) - values.begin());
  EXPECT_NEAR(static_cast<double>(peak), 30000.0 / 512, 2.0);
  for (size_t i = 0; i + 2 < 30000 / 512; ++i) EXPECT_EQ(values[i], 0.0f) << i;
}
