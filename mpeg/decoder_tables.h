// The decoder's computed numeric tables: Layer I/II sample and scale
// factors and grouping splits, the Layer III gains, |x|^(4/3), alias and
// intensity factors, the synthesis matrixing coefficients and the inverse
// MDCT cosines and windows.
//
// They are built once per process, in higher precision and stored in single
// precision, the first time decoderTables() is called (thread-safe), and are
// only read afterwards.
#pragma once

#include <cstdint>

namespace mpeg {

// Largest Layer III spectral magnitude: 15 plus 13 linbits.
inline constexpr int kMaxHuffmanMagnitude = 15 + (1 << 13) - 1;

struct DecoderTables {
  // Layer I: 2 / (2^(a+1) - 1) for allocation a = 1..15, entry 0 is 0.
  float layer1SampleFactor[16];
  // Layer II: 2 / Q for the 17 quantiser classes (Q = 3, 5, 7, 9, 15, ...).
  float layer2QuantizerFactor[17];
  // Layer I/II scale factor of index i: 65536 x 2^(-i/3).
  float layer12ScaleFactor[64];
  // Layer II grouped codes split into three centred values, least
  // significant digit first: 3, 5 and 9 levels.
  std::int8_t grouping3[32][3];
  std::int8_t grouping5[128][3];
  std::int16_t grouping9[1024][3];

  // Layer III global gain g at entry g + 6: 2^((entry - 156) / 4), so that
  // g = 210 gives 2^15; covers g = -6..255.
  float globalGain[262];
  // [scalefac_scale][pre-emphasis][scale factor]:
  // 2^(-0.5 (scalefac_scale + 1) (pre-emphasis + scale factor)).
  float scaleFactorGain[2][4][32];
  // |x|^(4/3) for x = 0..kMaxHuffmanMagnitude.
  float pow43[kMaxHuffmanMagnitude + 1];
  // 2^(-2k) for subblock_gain k.
  float subblockGain[8];
  // Alias-reduction butterflies: cs = 1 / sqrt(1 + c^2), ca = c / sqrt(1 + c^2).
  float aliasCs[8];
  float aliasCa[8];
  // MPEG-1 intensity factors (left, right) per position 0..7; set 0
  // without mid/side, set 1 with it (scaled by sqrt 2). Position 7 is
  // the illegal one.
  float intensityMpeg1[2][8][2];
  // Low sampling frequencies: [intensity scale][set][pair][left/right]; the
  // 2^slen positions for slen = 0..5 follow one another from entry
  // 2^slen - 1 (see intensityLsfBase), the last of each range illegal.
  float intensityLsf[2][2][64][2];

  // Matrixing coefficients 0.5 / cos((2k + 1) pi / (4N)) for N = 16, 8, 4,
  // 2, 1 in turn (31 values) for the fast 32-point cosine transform.
  float matrixing[31];

  // The 36-point inverse MDCT as an 18-point DCT-IV, computed through an
  // 18-point DCT-II (see layer3_imdct.cpp): the input factors
  // 2 cos((2k + 1) pi / 72), the factors 0.5 / cos((2k + 1) pi / 36) of the
  // DCT-II's odd half, and cos((2k + 1) m pi / 18) for k = 0..3 and
  // m = 0..8, the terms of the two 9-point DCT-IIs.
  float imdctInputFactor[18];
  float imdctOddFactor[9];
  float imdctCos9[9][4];
  // The 12-point inverse MDCT the same way, as a 6-point DCT-IV through a
  // 6-point DCT-II: 2 cos((2k + 1) pi / 24), 0.5 / cos((2k + 1) pi / 12),
  // and cos(pi / 6) of the two 3-point DCT-IIs.
  float imdctShortInputFactor[6];
  float imdctShortOddFactor[3];
  float imdctCosPiOver6;
  // The windows of block types 0 (normal), 1 (start), 2 (short: 12
  // values) and 3 (stop).
  float imdctWindow[4][36];
};

// First pair of the low-sampling-frequency intensity range for `slen`.
inline constexpr int intensityLsfBase(int slen) {
  return (1 << slen) - 1;
}

const DecoderTables& decoderTables();

}  // namespace mpeg
