// The pieces of Layer III decoding on constructed data: the bit reader's
// bounds, Huffman decoding of streams written with the standard's codes,
// scale-factor reading, stereo processing, and the inverse MDCT against its
// defining sum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "bit_writer.h"
#include "mpeg/decoder_tables.h"
#include "mpeg/layer3_huffman.h"
#include "mpeg/layer3_imdct.h"
#include "mpeg/layer3_requantize.h"
#include "mpeg/layer3_scale_factors.h"
#include "mpeg/layer3_stereo.h"
#include "mpeg/standard_tables.h"

namespace {

const mpeg::ScaleFactorBands& bands44100() {
  return mpeg::kScaleFactorBands[0];
}

TEST(BitReader, ReadsMostSignificantFirstAndNeverPastTheEnd) {
  std::vector<std::uint8_t> bytes(16, 0xFF);
  bytes[0] = 0xA5;
  bytes[1] = 0x0F;
  mpeg::BitReader r;
  // Only the first two bytes are in the range; the third must never count.
  mpeg::bitReaderInit(r, bytes.data(), 2);
  EXPECT_EQ(mpeg::getBits(r, 3), 5u);
  EXPECT_EQ(mpeg::peekBits(r, 5), 5u);
  EXPECT_EQ(mpeg::getBits(r, 9), 0x50u);
  EXPECT_EQ(mpeg::bitPosition(r), 12);
  EXPECT_FALSE(mpeg::readerOverrun(r));
  EXPECT_EQ(mpeg::getBits(r, 8), 0xF0u);  // four real bits, then zeros
  EXPECT_TRUE(mpeg::readerOverrun(r));
}

TEST(BitReader, SkipsAcrossAndBeyondTheRange) {
  std::vector<std::uint8_t> bytes(40);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = std::uint8_t(i);
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, bytes.data(), int(bytes.size()));
  mpeg::getBits(r, 4);
  mpeg::skipBits(r, 8 * 20 + 4);
  EXPECT_EQ(mpeg::bitPosition(r), 8 * 21);
  EXPECT_EQ(mpeg::getBits(r, 8), 21u);
  mpeg::skipBits(r, 3);
  EXPECT_EQ(mpeg::getBits(r, 5), 22u & 31);
  mpeg::skipBits(r, 1000);
  EXPECT_TRUE(mpeg::readerOverrun(r));
  EXPECT_EQ(mpeg::bitPosition(r), 8 * 23 + 1000);
}

// Writes `values` (pairs) with big-value table `table`, signs and linbits
// as the standard orders them.
void writePairs(BitWriter& w, int table, const std::vector<int>& values) {
  const mpeg::HuffmanTable& t = mpeg::kHuffmanTables[table];
  for (std::size_t i = 0; i < values.size(); i += 2) {
    int x = std::abs(values[i]), y = std::abs(values[i + 1]);
    int ex = 0, ey = 0;
    if (t.linbits && x >= 15) {
      ex = x - 15;
      x = 15;
    }
    if (t.linbits && y >= 15) {
      ey = y - 15;
      y = 15;
    }
    w.code(t.codes[x * t.dimension + y].length, t.codes[x * t.dimension + y].bits);
    if (t.linbits && x == 15) w.put(std::uint32_t(ex), t.linbits);
    if (x) w.put(values[i] < 0, 1);
    if (t.linbits && y == 15) w.put(std::uint32_t(ey), t.linbits);
    if (y) w.put(values[i + 1] < 0, 1);
  }
}

void writeQuads(BitWriter& w, int count1, const std::vector<int>& values) {
  for (std::size_t i = 0; i < values.size(); i += 4) {
    int index = 0;
    for (int k = 0; k < 4; ++k) index = 2 * index + (values[i + k] != 0);
    w.code(mpeg::kCount1Codes[count1][index].length, mpeg::kCount1Codes[count1][index].bits);
    for (int k = 0; k < 4; ++k)
      if (values[i + k]) w.put(values[i + k] < 0, 1);
  }
}

mpeg::GranuleChannelInfo longGranule(int bigValues, int t0, int t1, int t2, int r0, int r1) {
  mpeg::GranuleChannelInfo g{};
  g.big_values = bigValues;
  g.table_select[0] = t0;
  g.table_select[1] = t1;
  g.table_select[2] = t2;
  g.region0_count = r0;
  g.region1_count = r1;
  g.global_gain = 210;
  return g;
}

TEST(Huffman, DecodesThreeRegionsAndCount1) {
  std::mt19937 random(11);
  // Regions: lines 0..35 (long boundary 8), 36..89 (boundary 13), 90..199.
  mpeg::GranuleChannelInfo g = longGranule(100, 24, 7, 15, 7, 4);
  g.count1table_select = 0;
  std::vector<int> values(576, 0);
  auto fill = [&](int from, int to, int maxValue) {
    std::uniform_int_distribution<int> v(-maxValue, maxValue);
    for (int i = from; i < to; ++i) values[std::size_t(i)] = v(random);
  };
  fill(0, 36, 3000);  // table 24 with linbits 4 reaches 15 + 15 only: keep within
  for (int i = 0; i < 36; ++i)
    values[std::size_t(i)] = std::max(-30, std::min(30, values[std::size_t(i)]));
  fill(36, 90, 5);
  fill(90, 200, 15);
  std::uniform_int_distribution<int> bit(-1, 1);
  for (int i = 200; i < 240; ++i) values[std::size_t(i)] = bit(random);
  values[236] = 1;  // the last quadruple is non-zero in its first half only
  values[237] = values[238] = values[239] = 0;

  BitWriter w;
  writePairs(w, 24, std::vector<int>(values.begin(), values.begin() + 36));
  writePairs(w, 7, std::vector<int>(values.begin() + 36, values.begin() + 90));
  writePairs(w, 15, std::vector<int>(values.begin() + 90, values.begin() + 200));
  writeQuads(w, 0, std::vector<int>(values.begin() + 200, values.begin() + 240));
  const int part3Length = w.bitCount;
  w.put(0xFFFF, 16);  // stuffing the decoder must not take as quadruples

  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  std::int32_t decoded[576];
  const int nonzero =
      mpeg::decodeHuffmanValues(r, part3Length, g, bands44100(), 558, 558, 558, decoded);
  EXPECT_EQ(nonzero, 238);
  for (int i = 0; i < 576; ++i) ASSERT_EQ(decoded[i], values[std::size_t(i)]) << i;
}

TEST(Huffman, LinbitsExtendFifteen) {
  mpeg::GranuleChannelInfo g = longGranule(2, 23, 23, 23, 15, 7);
  const std::vector<int> values = {15 + 8191, -15, 7, -(15 + 100)};
  BitWriter w;
  writePairs(w, 23, values);
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  std::int32_t decoded[576];
  EXPECT_EQ(mpeg::decodeHuffmanValues(r, w.bitCount, g, bands44100(), 558, 558, 558, decoded), 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(decoded[i], values[std::size_t(i)]);
}

TEST(Huffman, Count1TableBAndTheEndOfPart2_3) {
  mpeg::GranuleChannelInfo g = longGranule(0, 0, 0, 0, 0, 0);
  g.count1table_select = 1;
  const std::vector<int> quads = {1, 0, -1, 0, 0, 0, 0, -1, 1, 1, 1, 1};
  BitWriter w;
  writeQuads(w, 1, quads);
  // part2_3_length ends inside the sign bits of the last quadruple: it
  // must read as four zeros.
  const int part3Length = w.bitCount - 1;
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  std::int32_t decoded[576];
  EXPECT_EQ(mpeg::decodeHuffmanValues(r, part3Length, g, bands44100(), 558, 558, 558, decoded), 8);
  const int expected[12] = {1, 0, -1, 0, 0, 0, 0, -1, 0, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(decoded[i], expected[i]) << i;
}

TEST(Huffman, LimitsCutTheSpectrum) {
  // 288 pairs of ones over all 576 lines; the line limit keeps 558, a
  // short block's limit fewer.
  mpeg::GranuleChannelInfo g = longGranule(288, 1, 1, 1, 15, 7);
  BitWriter w;
  writePairs(w, 1, std::vector<int>(576, 1));
  std::int32_t decoded[576];
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  EXPECT_EQ(mpeg::decodeHuffmanValues(r, w.bitCount, g, bands44100(), 558, 558, 558, decoded), 558);
  for (int i = 0; i < 558; ++i) ASSERT_EQ(decoded[i], 1);
  for (int i = 558; i < 576; ++i) ASSERT_EQ(decoded[i], 0);

  g.window_switching_flag = 1;
  g.block_type = 2;
  g.table_select[2] = 0;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  EXPECT_EQ(mpeg::decodeHuffmanValues(r, w.bitCount, g, bands44100(), 530, 522, 500, decoded), 500);
  for (int i = 500; i < 576; ++i) ASSERT_EQ(decoded[i], 0);
}

TEST(Huffman, DataRunningPastTheRangeSilencesTheChannel) {
  mpeg::GranuleChannelInfo g = longGranule(200, 15, 15, 15, 15, 7);
  BitWriter w;
  writePairs(w, 15, std::vector<int>(40, 3));  // far fewer pairs than big_values asks
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  std::int32_t decoded[576];
  EXPECT_EQ(mpeg::decodeHuffmanValues(r, 4095, g, bands44100(), 558, 558, 558, decoded), 0);
  for (int v : decoded) ASSERT_EQ(v, 0);
}

TEST(ScaleFactors, Mpeg1ScfsiReusesGranuleZero) {
  mpeg::GranuleChannelInfo g{};
  g.scalefac_compress = 15;  // slen 4, 3
  BitWriter w;
  for (int band = 0; band < 21; ++band) w.put(std::uint32_t(band % 8), band < 11 ? 4 : 3);
  w.put(0, 16);
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  const std::int32_t noReuse[4] = {0, 0, 0, 0};
  mpeg::ScaleFactors first{}, second{};
  mpeg::readScaleFactorsMpeg1(r, g, noReuse, 0, first, first);
  EXPECT_EQ(mpeg::bitPosition(r), 11 * 4 + 10 * 3);
  for (int band = 0; band < 21; ++band) EXPECT_EQ(first.longBand[band], band % 8);

  // Granule 1 keeps groups 1 and 3 (bands 6-10, 16-20) and reads the rest.
  BitWriter w2;
  for (int band = 0; band < 6; ++band) w2.put(9, 4);
  for (int band = 11; band < 16; ++band) w2.put(5, 3);
  const std::int32_t reuse[4] = {0, 1, 0, 1};
  mpeg::bitReaderInit(r, w2.bytes.data(), int(w2.bytes.size()));
  mpeg::readScaleFactorsMpeg1(r, g, reuse, 1, first, second);
  EXPECT_EQ(mpeg::bitPosition(r), 6 * 4 + 5 * 3);
  for (int band = 0; band < 21; ++band) {
    const int expected = (band < 6) ? 9 : (band < 11 ? band % 8 : (band < 16 ? 5 : band % 8));
    EXPECT_EQ(second.longBand[band], expected) << band;
  }
}

TEST(ScaleFactors, Mpeg1MixedBlocks) {
  mpeg::GranuleChannelInfo g{};
  g.scalefac_compress = 6;  // slen 1, 2
  g.window_switching_flag = 1;
  g.block_type = 2;
  g.mixed_block_flag = 1;
  BitWriter w;
  for (int band = 0; band < 8; ++band) w.put(1, 1);
  for (int band = 3; band < 12; ++band)
    for (int win = 0; win < 3; ++win)
      w.put(band < 6 ? 0 : std::uint32_t(win + 1), band < 6 ? 1 : 2);
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  const std::int32_t scfsi[4] = {1, 1, 1, 1};  // ignored for short blocks
  mpeg::ScaleFactors f{};
  mpeg::readScaleFactorsMpeg1(r, g, scfsi, 1, f, f);
  EXPECT_EQ(mpeg::bitPosition(r), 8 + 9 + 18 * 2);
  for (int band = 0; band < 8; ++band) EXPECT_EQ(f.longBand[band], 1);
  for (int band = 6; band < 12; ++band)
    for (int win = 0; win < 3; ++win) EXPECT_EQ(f.shortBand[band][win], win + 1);
}

TEST(ScaleFactors, LsfPartitionsAndIntensityLimits) {
  // scalefac_compress 400 + 4 * (5 * 2 + 1) + 2: table 1, slen 2, 1, 2, 0.
  mpeg::GranuleChannelInfo g{};
  g.scalefac_compress = 400 + 4 * (5 * 2 + 1) + 2;
  const mpeg::LsfCompression c = mpeg::lsfCompression(g.scalefac_compress, false);
  ASSERT_EQ(c.table, 1);
  ASSERT_EQ(c.slen[0], 2);
  ASSERT_EQ(c.slen[1], 1);
  ASSERT_EQ(c.slen[2], 2);
  BitWriter w;
  // Long partitions of table 1: 6, 5, 7, 3 bands.
  for (int i = 0; i < 6; ++i) w.put(3, 2);
  for (int i = 0; i < 5; ++i) w.put(1, 1);
  for (int i = 0; i < 7; ++i) w.put(2, 2);
  mpeg::BitReader r;
  mpeg::bitReaderInit(r, w.bytes.data(), int(w.bytes.size()));
  mpeg::ScaleFactors f{};
  mpeg::readScaleFactorsLsf(r, g, false, f);
  EXPECT_EQ(mpeg::bitPosition(r), 6 * 2 + 5 + 7 * 2);
  for (int b = 0; b < 21; ++b)
    EXPECT_EQ(f.longBand[b], b < 6 ? 3 : b < 11 ? 1 : b < 18 ? 2 : 0) << b;

  // The intensity right channel: scalefac_compress >> 1 = 2 * 36 + 3 * 6 + 1
  // (table 3, slen 2, 3, 1), bit 0 the intensity scale.
  g.scalefac_compress = 2 * (2 * 36 + 3 * 6 + 1) + 1;
  g.block_type = 0;
  BitWriter w2;
  for (int i = 0; i < 7; ++i) w2.put(1, 2);
  for (int i = 0; i < 7; ++i) w2.put(7, 3);
  for (int i = 0; i < 7; ++i) w2.put(0, 1);
  mpeg::bitReaderInit(r, w2.bytes.data(), int(w2.bytes.size()));
  mpeg::readScaleFactorsLsf(r, g, true, f);
  EXPECT_EQ(mpeg::bitPosition(r), 7 * 2 + 7 * 3 + 7);
  EXPECT_EQ(f.intensityScale, 1);
  EXPECT_EQ(g.preflag, 0);
  for (int b = 0; b < 21; ++b) {
    EXPECT_EQ(f.longBand[b], b < 7 ? 1 : b < 14 ? 7 : 0) << b;
    EXPECT_EQ(f.longLimit[b], b < 7 ? 3 : b < 14 ? 7 : 1) << b;
  }
  EXPECT_EQ(f.longLimit[21], f.longLimit[20]);
}

TEST(Requantize, GainsAndShortBlockOrder) {
  std::int32_t values[576] = {};
  mpeg::GranuleChannelInfo g{};
  g.global_gain = 210;
  values[0] = 8;  // 16 x 2^15
  values[1] = -1;
  mpeg::ScaleFactors f{};
  f.longBand[0] = 1;  // one step of 2^-0.5
  float spectrum[576];
  auto result = mpeg::requantizeChannel(values, 2, g, f, bands44100(), 36, 558, spectrum);
  EXPECT_FLOAT_EQ(spectrum[0], float(16 * 32768 / std::sqrt(2.0)));
  EXPECT_FLOAT_EQ(spectrum[1], float(-32768 / std::sqrt(2.0)));
  EXPECT_EQ(result.lastLongBand, 0);

  // Short blocks: band 1 (lines 12..23 as decoded, 4 lines per window)
  // becomes window-interleaved; subblock_gain 1 on window 2.
  g.window_switching_flag = 1;
  g.block_type = 2;
  g.subblock_gain[2] = 1;
  std::int32_t shortValues[576] = {};
  for (int w = 0; w < 3; ++w)
    for (int j = 0; j < 4; ++j) shortValues[12 + 4 * w + j] = 1 + j + 4 * w;
  f = mpeg::ScaleFactors{};
  result = mpeg::requantizeChannel(shortValues, 24, g, f, bands44100(), 36, 558, spectrum);
  const mpeg::DecoderTables& t = mpeg::decoderTables();
  for (int w = 0; w < 3; ++w)
    for (int j = 0; j < 4; ++j)
      EXPECT_FLOAT_EQ(spectrum[12 + 3 * j + w],
                      t.pow43[1 + j + 4 * w] * 32768.0f * (w == 2 ? 0.25f : 1.0f));
  EXPECT_EQ(result.lastShortBand[0], 1);
  EXPECT_EQ(result.lastShortBand[2], 1);
  EXPECT_EQ(result.lineCount, 24);
}

TEST(Stereo, MidSideAndMpeg1Intensity) {
  float left[576] = {}, right[576] = {};
  for (int i = 0; i < 100; ++i) left[i] = float(i + 1);
  for (int i = 0; i < 30; ++i)
    right[i] = 0.5f;  // the requantisation below reports band 7 as the highest
  mpeg::GranuleChannelInfo info{};
  mpeg::ScaleFactors factors{};
  for (int b = 0; b < 22; ++b) factors.longBand[b] = 3;  // position 3: (0.5, 0.5)
  factors.longBand[9] = 0;                               // position 0: (0, 1)
  factors.longBand[10] = 7;                              // illegal: stays as decoded
  mpeg::StereoInput in{};
  in.left = left;
  in.right = right;
  in.rightInfo = &info;
  in.rightFactors = &factors;
  in.rightBands = mpeg::RequantizeResult{30, 7, {-1, -1, -1}};
  in.lineCount = 100;
  in.midSide = true;
  in.intensity = true;
  in.bands = &bands44100();
  in.mixedLongBands = 8;
  mpeg::processStereo(in);
  const float root2 = float(std::sqrt(2.0));
  // Mid/side below line 36 (the end of band 7).
  EXPECT_FLOAT_EQ(left[0], 1.5f);
  EXPECT_FLOAT_EQ(right[0], 0.5f);
  EXPECT_FLOAT_EQ(left[35], 36.0f);
  EXPECT_FLOAT_EQ(right[35], 36.0f);
  // Band 8 (36..43): position 3 of the mid/side set.
  EXPECT_FLOAT_EQ(left[40], 41.0f * 0.5f * root2);
  EXPECT_FLOAT_EQ(right[40], 41.0f * 0.5f * root2);
  // Band 9 (44..51): position 0.
  EXPECT_FLOAT_EQ(left[45], 0.0f);
  EXPECT_FLOAT_EQ(right[45], 46.0f * root2);
  // Band 10 (52..61): illegal, mid/side with a zero side.
  EXPECT_FLOAT_EQ(left[55], 56.0f);
  EXPECT_FLOAT_EQ(right[55], 56.0f);
}

TEST(Stereo, AnEmptyRightChannelKeepsBandZero) {
  float left[576] = {}, right[576] = {};
  for (int i = 0; i < 576; ++i) left[i] = 1.0f;
  mpeg::GranuleChannelInfo info{};
  mpeg::ScaleFactors factors{};  // position 0 everywhere: all to the right
  mpeg::StereoInput in{};
  in.left = left;
  in.right = right;
  in.rightInfo = &info;
  in.rightFactors = &factors;
  in.rightBands = mpeg::RequantizeResult{0, -1, {-1, -1, -1}};
  in.lineCount = 576;
  in.intensity = true;
  in.bands = &bands44100();
  in.mixedLongBands = 8;
  mpeg::processStereo(in);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(left[i], 1.0f);
    EXPECT_EQ(right[i], 0.0f);
  }
  EXPECT_EQ(left[4], 0.0f);
  EXPECT_EQ(right[4], 1.0f);
  EXPECT_EQ(right[575], 1.0f);  // band 21 takes band 20's position
}

TEST(Stereo, LsfIntensityUsesTheBandsLimit) {
  float left[576] = {}, right[576] = {};
  for (int i = 0; i < 576; ++i) left[i] = 1.0f;
  right[0] = 1.0f;
  mpeg::GranuleChannelInfo info{};
  mpeg::ScaleFactors factors{};
  for (int b = 0; b < 22; ++b) {
    factors.longLimit[b] = 3;  // slen 2
    factors.longBand[b] = 2;   // even position 2: (1, 2^(-1/2)) at intensity scale 1
  }
  factors.longBand[2] = 3;  // the illegal position
  factors.intensityScale = 1;
  mpeg::StereoInput in{};
  in.left = left;
  in.right = right;
  in.rightInfo = &info;
  in.rightFactors = &factors;
  in.rightBands = mpeg::RequantizeResult{1, 0, {-1, -1, -1}};
  in.lineCount = 576;
  in.intensity = true;
  in.lowSamplingFrequency = true;
  in.bands = &mpeg::kScaleFactorBands[3];  // 22050 Hz: band 1 is lines 6..11
  in.mixedLongBands = 6;
  mpeg::processStereo(in);
  EXPECT_EQ(right[0], 1.0f);
  EXPECT_FLOAT_EQ(left[6], 1.0f);
  EXPECT_FLOAT_EQ(right[6], float(std::pow(2.0, -0.5)));
  EXPECT_FLOAT_EQ(right[13], 0.0f);  // band 2 illegal: as decoded
  EXPECT_FLOAT_EQ(left[13], 1.0f);
}

// x[i] = sum_k X[k] cos(pi / 2n (2i + 1 + n/2)(2k + 1)), windowed.
std::vector<double> directImdct(const float* in, int n, const float* window) {
  std::vector<double> out(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < n; ++i) {
    double sum = 0;
    for (int k = 0; k < n / 2; ++k)
      sum += in[k] * std::cos(3.14159265358979323846 / (2 * n) * (2 * i + 1 + n / 2) * (2 * k + 1));
    out[std::size_t(i)] = sum * window[i];
  }
  return out;
}

// Every block type, plain and mixed: a mixed block's two lowest subbands are
// long blocks with the normal window, whatever the block type of the rest.
TEST(Imdct, LongShortAndMixedBlocksWithOverlap) {
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
  float spectrum[576];
  for (float& s : spectrum) s = value(random);
  float previous[18][32], overlap[18][32];  // time-major
  for (int i = 0; i < 18; ++i)
    for (int sb = 0; sb < 32; ++sb) previous[i][sb] = value(random);
  const mpeg::DecoderTables& t = mpeg::decoderTables();
  for (bool mixed : {false, true}) {
    for (int blockType : {0, 1, 2, 3}) {
      if (mixed && blockType == 0) continue;  // mixed blocks come with window switching
      std::int32_t overlapSubbands = 32;
      std::memcpy(overlap, previous, sizeof overlap);
      mpeg::ImdctChannel c{};
      c.spectrum = spectrum;
      c.overlap = overlap;
      c.overlapSubbands = &overlapSubbands;
      c.lineCount = 20 * 18;  // 20 subbands; 20..31 only give the overlap
      c.longLines = blockType == 2 ? (mixed ? 36 : 0) : c.lineCount;
      c.blockType = blockType == 2 ? 0 : blockType;
      c.normalWindowSubbands = mixed ? 2 : 0;
      float out[18][32];
      EXPECT_EQ(mpeg::inverseMdct(c, out), 32);
      EXPECT_EQ(overlapSubbands, 20);
      for (int sb = 0; sb < 32; ++sb) {
        std::vector<double> z(36, 0.0);
        const bool longBlock = blockType != 2 || (mixed && sb < 2);
        if (sb < 20 && longBlock) {
          const int window = mixed && sb < 2 ? 0 : blockType;
          z = directImdct(spectrum + 18 * sb, 36, t.imdctWindow[window]);
        } else if (sb < 20) {
          for (int w = 0; w < 3; ++w) {
            float in[6];
            for (int k = 0; k < 6; ++k) in[k] = spectrum[18 * sb + 3 * k + w];
            const std::vector<double> y = directImdct(in, 12, t.imdctWindow[2]);
            for (int i = 0; i < 12; ++i) z[std::size_t(6 + 6 * w + i)] += y[std::size_t(i)];
          }
        }
        for (int i = 0; i < 18; ++i) {
          double expected = z[std::size_t(i)] + previous[i][sb];
          if ((sb & 1) && (i & 1)) expected = -expected;  // frequency inversion
          ASSERT_NEAR(out[i][sb], expected, 0.02)
              << "type " << blockType << (mixed ? " mixed" : "") << " sb " << sb << " " << i;
          ASSERT_NEAR(overlap[i][sb], z[std::size_t(18 + i)], 0.02);
        }
      }
    }
  }
}

// Four and eight subbands at a time give the same values for
// every kind of block, line count and overlap extent.
TEST(Imdct, FourAndEightLanesAgree) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-3000.0f, 3000.0f);
  float spectrum[576];
  for (float& s : spectrum) s = value(random);
  float previous[18][32];
  for (auto& row : previous)
    for (float& v : row) v = value(random);
  float probe[18][32];
  mpeg::ImdctChannel probeChannel{};
  std::int32_t probeSubbands = 0;
  probeChannel.spectrum = spectrum;
  probeChannel.overlap = previous;
  probeChannel.overlapSubbands = &probeSubbands;
  if (mpeg::inverseMdctWithLanes(probeChannel, probe, 8) < 0)
    GTEST_SKIP() << "this processor has no AVX2";
  EXPECT_EQ(mpeg::inverseMdctWithLanes(probeChannel, probe, 3), -1);

  for (int lineCount : {0, 26, 100, 360, 558})
    for (int overlapSubbands : {0, 7, 31})
      for (int kind = 0; kind < 6; ++kind) {
        const int blockType = kind < 4 ? kind : (kind == 4 ? 2 : 3);
        const bool mixed = kind >= 4;
        mpeg::ImdctChannel c{};
        c.spectrum = spectrum;
        c.lineCount = lineCount;
        c.longLines = blockType == 2 ? (mixed ? std::min(36, lineCount) : 0) : lineCount;
        c.blockType = blockType == 2 ? 0 : blockType;
        c.normalWindowSubbands = mixed ? 2 : 0;
        float out4[18][32], out8[18][32], overlap4[18][32], overlap8[18][32];
        std::memcpy(overlap4, previous, sizeof previous);
        std::memcpy(overlap8, previous, sizeof previous);
        std::int32_t subbands4 = overlapSubbands, subbands8 = overlapSubbands;
        c.overlap = overlap4;
        c.overlapSubbands = &subbands4;
        const int produced4 = mpeg::inverseMdctWithLanes(c, out4, 4);
        c.overlap = overlap8;
        c.overlapSubbands = &subbands8;
        const int produced8 = mpeg::inverseMdctWithLanes(c, out8, 8);
        EXPECT_EQ(produced4, produced8);
        EXPECT_EQ(subbands4, subbands8);
        // Equal values (a zero may come out as +0 one way and -0 the other).
        for (int t = 0; t < 18; ++t)
          for (int sb = 0; sb < 32; ++sb) {
            ASSERT_EQ(out4[t][sb], out8[t][sb])
                << lineCount << " " << kind << " " << t << " " << sb;
            ASSERT_EQ(overlap4[t][sb], overlap8[t][sb]) << lineCount << " " << kind;
          }
      }
}

TEST(Imdct, AliasReductionButterflies) {
  float spectrum[576] = {};
  spectrum[17] = 1.0f;  // top of subband 0
  spectrum[18] = 2.0f;  // bottom of subband 1
  mpeg::reduceAliases(spectrum, 1);
  const mpeg::DecoderTables& t = mpeg::decoderTables();
  EXPECT_FLOAT_EQ(spectrum[17], 1.0f * t.aliasCs[0] - 2.0f * t.aliasCa[0]);
  EXPECT_FLOAT_EQ(spectrum[18], 2.0f * t.aliasCs[0] + 1.0f * t.aliasCa[0]);
  EXPECT_EQ(spectrum[36], 0.0f);
}

}  // namespace
