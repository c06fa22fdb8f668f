// SignalBuffer: how PCM enters it, its growth, and each signal operation on
// values whose results are known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/signal_buffer.h"

namespace {

std::vector<double> Values(const SignalBuffer& b) {
  return std::vector<double>(b.Data(), b.Data() + b.Count());
}

SignalBuffer& Fill(SignalBuffer& b, const std::vector<double>& v) {
  b.AppendValues(static_cast<uint32_t>(v.size()), v.data());
  return b;
}

}  // namespace

TEST(SignalBuffer, GrowsToTwiceWhatIsNeededAndKeepsItsValues) {
  SignalBuffer b;
  EXPECT_EQ(b.Capacity(), 0u);
  Fill(b, {1, 2, 3});
  EXPECT_EQ(b.Capacity(), 6u);
  Fill(b, {4, 5, 6});  // exactly full: no growth
  EXPECT_EQ(b.Capacity(), 6u);
  Fill(b, {7});
  EXPECT_EQ(b.Capacity(), 14u);
  EXPECT_EQ(Values(b), (std::vector<double>{1, 2, 3, 4, 5, 6, 7}));
  b.Clear();
  EXPECT_EQ(b.Count(), 0u);
  EXPECT_EQ(b.Capacity(), 14u);  // the memory stays for reuse
  Fill(b, {8});
  EXPECT_EQ(Values(b), std::vector<double>{8});
}

TEST(SignalBuffer, PcmSamplesAreSignedAndChannelsAveraged) {
  // 16-bit little-endian: 0x7FFF, 0x8000, 0xFFFF, 0x0102.
  const uint8_t wide[] = {0xFF, 0x7F, 0x00, 0x80, 0xFF, 0xFF, 0x02, 0x01};
  SignalBuffer mono;
  mono.AppendPcm(16, 1, 4, wide);
  EXPECT_EQ(Values(mono), (std::vector<double>{32767, -32768, -1, 258}));
  SignalBuffer none;  // channel count 0 reads as one channel
  none.AppendPcm(16, 0, 2, wide);
  EXPECT_EQ(Values(none), (std::vector<double>{32767, -32768}));

  SignalBuffer stereo;
  stereo.AppendPcm(16, 2, 2, wide);
  EXPECT_EQ(Values(stereo), (std::vector<double>{-0.5, 257.0 / 2}));

  // 8-bit samples are signed bytes; three channels are divided by three.
  const uint8_t narrow[] = {0x80, 0x01, 0x02, 0x7F, 0x7F, 0x7F};
  SignalBuffer three;
  three.AppendPcm(8, 3, 2, narrow);
  EXPECT_EQ(Values(three), (std::vector<double>{-125.0 / 3, 127}));

  SignalBuffer other;  // any other sample width appends nothing
  other.AppendPcm(24, 1, 2, wide);
  other.AppendPcm(0, 1, 2, wide);
  EXPECT_EQ(other.Count(), 0u);
}

TEST(SignalBuffer, ReduceToBinsFollowsTheRunningPosition) {
  // Three values into two bins: positions 0, 2/3, 4/3 put the first two in
  // bin 0 and the third in bin 1; each sum is then scaled by 2/3.
  SignalBuffer b;
  Fill(b, {3, 6, 9}).ReduceToBins(2);
  EXPECT_EQ(Values(b), (std::vector<double>{(3.0 + 6.0) * (2.0 / 3), 9.0 * (2.0 / 3)}));

  // Fewer values than bins: positions 0 and 2, so bins 1 and 3 stay empty.
  SignalBuffer up;
  Fill(up, {5, 7}).ReduceToBins(4);
  EXPECT_EQ(Values(up), (std::vector<double>{10, 0, 14, 0}));

  // One segment at 44100 Hz of equal values gives 64 means close to it.
  SignalBuffer segment;
  Fill(segment, std::vector<double>(2756, 1000.0)).ReduceToBins(64);
  ASSERT_EQ(segment.Count(), 64u);
  for (double v : Values(segment)) EXPECT_NEAR(v, 1000.0, 1000.0 * 1.5 / 43);

  // The same reduction again (cached bin edges) and after another length
  // gives the same as a fresh buffer.
  std::vector<double> ramp(3000);
  for (size_t i = 0; i < ramp.size(); ++i)
    ramp[i] = std::sin(0.01 * static_cast<double>(i)) * 1e4 + static_cast<double>(i);
  SignalBuffer fresh, reused;
  Fill(fresh, ramp).ReduceToBins(64);
  Fill(reused, std::vector<double>(2756, 1.0)).ReduceToBins(64);
  reused.Clear();
  Fill(reused, ramp).ReduceToBins(64);
  EXPECT_EQ(Values(reused), Values(fresh));

  SignalBuffer empty;  // no values: zero bins
  empty.ReduceToBins(4);
  EXPECT_EQ(Values(empty), (std::vector<double>{0, 0, 0, 0}));
}

TEST(SignalBuffer, PreEmphasisAndHammingWindow) {
  SignalBuffer b;
  Fill(b, {1, 2, 4}).PreEmphasis();
  EXPECT_EQ(Values(b), (std::vector<double>{1, 2 - 0.97, 4 - 0.97 * 2}));

  SignalBuffer w;
  Fill(w, std::vector<double>(5, 2.0)).ApplyHammingWindow();
  const std::vector<double> want = {0.08, 0.54, 1.0, 0.54, 0.08};
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(w.Data()[i], 2 * want[i], 1e-15);
  // Another length rebuilds the window.
  w.Clear();
  Fill(w, std::vector<double>(3, 1.0)).ApplyHammingWindow();
  EXPECT_NEAR(w.Data()[1], 1.0, 1e-15);
  EXPECT_NEAR(w.Data()[2], 0.08, 1e-15);

  SignalBuffer empty;  // nothing to do for no values
  empty.PreEmphasis();
  empty.ApplyHammingWindow();
  empty.MagnitudeSpectrum();
  EXPECT_EQ(empty.Count(), 0u);
}

TEST(SignalBuffer, MagnitudeSpectrumOfKnownSignals) {
  // A cosine of amplitude 3 in bin 5 of 64, on a constant -2 and the
  // alternating +-1 of bin 32: magnitudes 2 x 64 at 0, 3 x 32 at 5, 64 at
  // 32 (bins 0 and 32 are absolute values of real parts).
  std::vector<double> x(64);
  for (int i = 0; i < 64; ++i)
    x[i] = -2.0 + 3.0 * std::cos(6.283185307179586 * 5 * i / 64) + (i % 2 ? -1.0 : 1.0);
  SignalBuffer b;
  Fill(b, x).MagnitudeSpectrum();
  ASSERT_EQ(b.Count(), 33u);
  for (uint32_t k = 0; k <= 32; ++k) {
    double want = k == 0 ? 128.0 : k == 5 ? 96.0 : k == 32 ? 64.0 : 0.0;
    EXPECT_NEAR(b.Data()[k], want, 1e-11) << "bin " << k;
  }
}
