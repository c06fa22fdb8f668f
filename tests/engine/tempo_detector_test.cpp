// The tempo detector's stage boundaries and its indifference to how the PCM
// is cut into blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/tempo_detector.h"
#include "tools/beatgen/beat_stream.h"

namespace {

// Feeds 16-bit PCM of `channels` channels in blocks of `blockFrames` frames.
void Feed(TempoDetector& detector, const std::vector<uint8_t>& pcm, uint32_t rate,
          uint32_t channels, size_t blockFrames, uint32_t bytesPerSample = 2) {
  const uint32_t frameBytes = channels * bytesPerSample;
  const size_t blockBytes = blockFrames * frameBytes;
  for (size_t at = 0; at < pcm.size(); at += blockBytes) {
    size_t n = std::min(blockBytes, pcm.size() - at);
    detector.FeedBlock(pcm.data() + at, static_cast<uint32_t>(n), rate, frameBytes, channels);
  }
}

std::vector<double> Spectrum(const TempoDetector& detector) {
  const double* p = detector.PeriodicitySpectrum();
  return std::vector<double>(p, p + TempoDetector::kPeriodicityBins);
}

bool AllZero(const std::vector<double>& v) {
  return std::all_of(v.begin(), v.end(), [](double x) { return x == 0.0; });
}

std::vector<uint8_t> BeatPcm(uint32_t rate, uint32_t interval, uint32_t total,
                             uint32_t channels = 1) {
  BeatStreamShape shape;
  shape.sampleRate = rate;
  shape.interval = interval;
  shape.totalSamples = total;
  return ToPcmBytes(MakeBeatStream(shape), channels);
}

}  // namespace

TEST(TempoDetector, FirstGroupCompletesAfterExactlyOneSegmentAndNineHundredFiftyNineHops) {
  // 44100 Hz: segment 2756, hop 1378: 2756 + 959 x 1378 = 1324258 samples.
  TempoDetector detector;
  Feed(detector, BeatPcm(44100, 22050, 1324257), 44100, 1, 1152);
  EXPECT_TRUE(AllZero(Spectrum(detector)));
  detector.Reset();
  Feed(detector, BeatPcm(44100, 22050, 1324258), 44100, 1, 1152);
  EXPECT_FALSE(AllZero(Spectrum(detector)));
}

TEST(TempoDetector, OddSegmentLengthCarriesOverOneSampleLess) {
  // 11025 Hz: segment 689 carries 344 samples over and takes 345 new ones,
  // so the first group needs 689 + 959 x 345 = 331544 samples.
  TempoDetector detector;
  Feed(detector, BeatPcm(11025, 5512, 331543), 11025, 1, 576);
  EXPECT_TRUE(AllZero(Spectrum(detector)));
  detector.Reset();
  Feed(detector, BeatPcm(11025, 5512, 331544), 11025, 1, 576);
  EXPECT_FALSE(AllZero(Spectrum(detector)));
}

TEST(TempoDetector, BlockBoundariesAreSeamless) {
  const std::vector<uint8_t> pcm = BeatPcm(44100, 21000, 1500000, 2);
  std::vector<double> reference;
  for (size_t blockFrames : {size_t(1), size_t(1152), size_t(100000), size_t(1500000)}) {
    TempoDetector detector;
    Feed(detector, pcm, 44100, 2, blockFrames);
    if (reference.empty()) {
      reference = Spectrum(detector);
      ASSERT_FALSE(AllZero(reference));
    } else {
      EXPECT_EQ(Spectrum(detector), reference) << "blocks of " << blockFrames;
    }
  }
}

TEST(TempoDetector, StereoEntersAsTheMeanOfItsChannels) {
  // Left = s + d, right = s - d gives exactly the mono stream s.
  BeatStreamShape shape;
  shape.totalSamples = 1400000;
  std::vector<int16_t> s = MakeBeatStream(shape);
  std::vector<uint8_t> stereo;
  for (size_t i = 0; i < s.size(); ++i) {
    int16_t d = static_cast<int16_t>((i * 7919) % 2001 - 1000);
    for (int16_t v : {static_cast<int16_t>(s[i] / 2 + d), static_cast<int16_t>(s[i] / 2 - d)}) {
      stereo.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) & 0xFF));
      stereo.push_back(static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8));
    }
    s[i] = static_cast<int16_t>(s[i] / 2);
  }
  TempoDetector mono, two;
  Feed(mono, ToPcmBytes(s, 1), 44100, 1, 1152);
  Feed(two, stereo, 44100, 2, 1152);
  ASSERT_FALSE(AllZero(Spectrum(mono)));
  EXPECT_EQ(Spectrum(two), Spectrum(mono));
}

TEST(TempoDetector, EightBitSamplesAreSignedBytes) {
  BeatStreamShape shape;
  shape.totalSamples = 1400000;
  shape.amplitude = 100.0;
  std::vector<int16_t> s = MakeBeatStream(shape);
  std::vector<uint8_t> bytes(s.size());
  for (size_t i = 0; i < s.size(); ++i) bytes[i] = static_cast<uint8_t>(static_cast<int8_t>(s[i]));
  TempoDetector wide, narrow;
  Feed(wide, ToPcmBytes(s, 1), 44100, 1, 1152);
  Feed(narrow, bytes, 44100, 1, 1152, 1);
  ASSERT_FALSE(AllZero(Spectrum(wide)));
  EXPECT_EQ(Spectrum(narrow), Spectrum(wide));
}

TEST(TempoDetector, OddInputIsHarmless) {
  TempoDetector detector;
  std::vector<uint8_t> pcm = BeatPcm(44100, 22050, 100000, 2);
  detector.FeedBlock(pcm.data(), 3, 44100, 4, 2);     // less than a frame
  detector.FeedBlock(pcm.data(), 0, 44100, 4, 2);     // nothing
  detector.FeedBlock(pcm.data(), 4000, 44100, 0, 2);  // no frame size
  detector.FeedBlock(pcm.data(), 4000, 15, 4, 2);     // no segment length
  detector.FeedBlock(pcm.data(), 4000, 44100, 6, 2);  // 24-bit: not read
  detector.FeedBlock(pcm.data(), 4000, 500, 2, 1);    // segments under 64
  detector.FeedBlock(pcm.data(), static_cast<uint32_t>(pcm.size()), 48000, 4, 2);  // rate change
  EXPECT_TRUE(AllZero(Spectrum(detector)));
}

TEST(TempoDetector, BlocksItCannotReadLeaveItAsItWas) {
  // The same stream with unreadable blocks between its blocks: frames that
  // are no whole 8- or 16-bit samples (24-bit, 19 bytes for 9 channels),
  // rates beyond what is read. Neither the data nor the rate of those
  // blocks may touch the segment being filled.
  const std::vector<uint8_t> pcm = BeatPcm(44100, 22050, 1400000, 2);
  TempoDetector clean, mixed;
  Feed(clean, pcm, 44100, 2, 1152);
  std::vector<uint8_t> junk(19 * 400, 0x5A);
  const size_t block = 1152 * 4;
  for (size_t at = 0; at < pcm.size(); at += block) {
    uint32_t n = static_cast<uint32_t>(std::min(block, pcm.size() - at));
    mixed.FeedBlock(pcm.data() + at, n, 44100, 4, 2);
    mixed.FeedBlock(junk.data(), 19 * 400, 44100, 19, 9);
    mixed.FeedBlock(junk.data(), 18 * 400, 44100, 6, 2);
    mixed.FeedBlock(junk.data(), 4 * 400, TempoDetector::kMaxSampleRate + 1, 4, 2);
    mixed.FeedBlock(junk.data(), 4 * 400, 15, 4, 2);
  }
  ASSERT_FALSE(AllZero(Spectrum(clean)));
  EXPECT_EQ(Spectrum(mixed), Spectrum(clean));
}
