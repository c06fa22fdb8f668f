// Builds the decoder's computed numeric tables once per process.
#include "mpeg/decoder_tables.h"

#include <cmath>
#include <numbers>

namespace mpeg {

namespace {

constexpr double kPi = std::numbers::pi;

// Alias-reduction coefficients c[i] of ISO/IEC 11172-3.
constexpr double kAliasCoefficients[8] = {-0.6,   -0.535, -0.33,   -0.185,
                                          -0.095, -0.041, -0.0142, -0.0037};

// Layer II quantiser levels in class order.
constexpr int kLayer2Levels[17] = {3,   5,    7,    9,    15,   31,    63,    127,  255,
                                   511, 1023, 2047, 4095, 8191, 16383, 32767, 65535};

void buildLayer12(DecoderTables& t) {
  t.layer1SampleFactor[0] = 0.0f;
  for (int a = 1; a < 16; ++a)
    t.layer1SampleFactor[a] = float(2.0 / (std::ldexp(1.0, a + 1) - 1.0));
  for (int i = 0; i < 17; ++i) t.layer2QuantizerFactor[i] = float(2.0 / kLayer2Levels[i]);
  for (int i = 0; i < 64; ++i) t.layer12ScaleFactor[i] = float(65536.0 * std::pow(2.0, -i / 3.0));
  for (int v = 0; v < 32; ++v) {
    t.grouping3[v][0] = std::int8_t(v % 3 - 1);
    t.grouping3[v][1] = std::int8_t((v / 3) % 3 - 1);
    t.grouping3[v][2] = std::int8_t((v / 9) % 3 - 1);
  }
  for (int v = 0; v < 128; ++v) {
    t.grouping5[v][0] = std::int8_t(v % 5 - 2);
    t.grouping5[v][1] = std::int8_t((v / 5) % 5 - 2);
    t.grouping5[v][2] = std::int8_t((v / 25) % 5 - 2);
  }
  for (int v = 0; v < 1024; ++v) {
    t.grouping9[v][0] = std::int16_t(v % 9 - 4);
    t.grouping9[v][1] = std::int16_t((v / 9) % 9 - 4);
    t.grouping9[v][2] = std::int16_t((v / 81) % 9 - 4);
  }
}

void buildLayer3Gains(DecoderTables& t) {
  for (int i = 0; i < 262; ++i) t.globalGain[i] = float(std::pow(2.0, (i - 156) / 4.0));
  for (int m = 0; m < 2; ++m)
    for (int p = 0; p < 4; ++p)
      for (int s = 0; s < 32; ++s)
        t.scaleFactorGain[m][p][s] = float(std::pow(2.0, -0.5 * (m + 1) * (p + s)));
  for (int x = 0; x <= kMaxHuffmanMagnitude; ++x)
    t.pow43[x] = float(std::pow(double(x), 4.0 / 3.0));
  for (int k = 0; k < 8; ++k) t.subblockGain[k] = float(std::ldexp(1.0, -2 * k));
  for (int i = 0; i < 8; ++i) {
    const double c = kAliasCoefficients[i];
    const double root = std::sqrt(1.0 + c * c);
    t.aliasCs[i] = float(1.0 / root);
    t.aliasCa[i] = float(c / root);
  }
}

void buildIntensity(DecoderTables& t) {
  const double sqrt2 = std::numbers::sqrt2;
  for (int i = 0; i < 7; ++i) {
    const double ratio = std::tan(i * kPi / 12.0);
    const double left = ratio / (1.0 + ratio), right = 1.0 / (1.0 + ratio);
    t.intensityMpeg1[0][i][0] = float(left);
    t.intensityMpeg1[0][i][1] = float(right);
    t.intensityMpeg1[1][i][0] = float(left * sqrt2);
    t.intensityMpeg1[1][i][1] = float(right * sqrt2);
  }
  t.intensityMpeg1[0][7][0] = 1.0f;
  t.intensityMpeg1[0][7][1] = 0.0f;
  t.intensityMpeg1[1][7][0] = 1.0f;
  t.intensityMpeg1[1][7][1] = 1.0f;

  for (int scale = 0; scale < 2; ++scale) {
    const double base = scale == 0 ? std::pow(2.0, -0.25) : std::pow(2.0, -0.5);
    for (int set = 0; set < 2; ++set) {
      const double r = set == 0 ? 1.0 : sqrt2;
      for (int slen = 0; slen <= 5; ++slen) {
        const int count = 1 << slen;
        float(*pairs)[2] = &t.intensityLsf[scale][set][intensityLsfBase(slen)];
        for (int q = 0; q < count; ++q) {
          double left = r, right = r;
          if (q % 2 == 1) {
            left = r * std::pow(base, (q + 1) / 2);
          } else if (q > 0) {
            right = r * std::pow(base, q / 2);
          }
          if (q == count - 1) {  // the illegal position: lines stay as decoded
            left = 1.0;
            right = set == 0 ? 0.0 : 1.0;
          }
          pairs[q][0] = float(left);
          pairs[q][1] = float(right);
        }
      }
    }
  }
}

void buildTransforms(DecoderTables& t) {
  int index = 0;
  for (int n = 16; n >= 1; n /= 2)
    for (int k = 0; k < n; ++k)
      t.matrixing[index++] = float(0.5 / std::cos((2 * k + 1) * kPi / (4.0 * n)));

  for (int k = 0; k < 18; ++k)
    t.imdctInputFactor[k] = float(2.0 * std::cos((2 * k + 1) * kPi / 72.0));
  for (int k = 0; k < 9; ++k) t.imdctOddFactor[k] = float(0.5 / std::cos((2 * k + 1) * kPi / 36.0));
  for (int m = 0; m < 9; ++m)
    for (int k = 0; k < 4; ++k) t.imdctCos9[m][k] = float(std::cos((2 * k + 1) * m * kPi / 18.0));
  for (int k = 0; k < 6; ++k)
    t.imdctShortInputFactor[k] = float(2.0 * std::cos((2 * k + 1) * kPi / 24.0));
  for (int k = 0; k < 3; ++k)
    t.imdctShortOddFactor[k] = float(0.5 / std::cos((2 * k + 1) * kPi / 12.0));
  t.imdctCosPiOver6 = float(std::cos(kPi / 6.0));

  for (int i = 0; i < 36; ++i) {
    const double normal = std::sin(kPi / 36.0 * (i + 0.5));
    t.imdctWindow[0][i] = float(normal);
    double start, stop;
    if (i < 18)
      start = normal;
    else if (i < 24)
      start = 1.0;
    else if (i < 30)
      start = std::sin(kPi / 12.0 * (i - 18 + 0.5));
    else
      start = 0.0;
    if (i < 6)
      stop = 0.0;
    else if (i < 12)
      stop = std::sin(kPi / 12.0 * (i - 6 + 0.5));
    else if (i < 18)
      stop = 1.0;
    else
      stop = normal;
    t.imdctWindow[1][i] = float(start);
    t.imdctWindow[3][i] = float(stop);
    t.imdctWindow[2][i] = i < 12 ? float(std::sin(kPi / 12.0 * (i + 0.5))) : 0.0f;
  }
}

DecoderTables buildDecoderTables() {
  DecoderTables t{};
  buildLayer12(t);
  buildLayer3Gains(t);
  buildIntensity(t);
  buildTransforms(t);
  return t;
}

}  // namespace

const DecoderTables& decoderTables() {
  static const DecoderTables tables = buildDecoderTables();
  return tables;
}

}  // namespace mpeg
