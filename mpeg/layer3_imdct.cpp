// Layer III alias reduction, inverse MDCT, overlap-add and frequency inversion.
//
// The 36-point inverse MDCT x[i] = sum_k X[k] cos(pi/72 (2i + 19)(2k + 1))
// has x[17 - i] = -x[i] and x[53 - i] = x[i], so only outputs 0..8 and
// 18..26 are computed; likewise the 12-point transform with y[5 - i] = -y[i]
// and y[17 - i] = y[i] needs outputs 0..2 and 6..8.
#include "mpeg/layer3_imdct.h"

#include <algorithm>
#include <cstring>

#include "mpeg/decoder_tables.h"

namespace mpeg {

namespace {

// Windowed 36-point inverse MDCT of one subband.
void longBlock(const DecoderTables& tables, const float* in, int blockType, float out[36]) {
  float half[18] = {};
  for (int k = 0; k < 18; ++k) {
    const float value = in[k];
    const float* row = tables.imdctLong[k];
    for (int o = 0; o < 18; ++o) half[o] += value * row[o];
  }
  float x[36];
  for (int i = 0; i < 9; ++i) {
    x[i] = half[i];
    x[17 - i] = -half[i];
    x[18 + i] = half[9 + i];
    x[35 - i] = half[9 + i];
  }
  const float* window = tables.imdctWindow[blockType];
  for (int i = 0; i < 36; ++i) out[i] = x[i] * window[i];
}

// The three windowed 12-point inverse MDCTs of one subband, overlapped at
// offsets 6, 12 and 18 into 36 values.
void shortBlocks(const DecoderTables& tables, const float* in, float out[36]) {
  for (int i = 0; i < 36; ++i) out[i] = 0.0f;
  const float* window = tables.imdctWindow[2];
  for (int w = 0; w < 3; ++w) {
    float half[6] = {};
    for (int k = 0; k < 6; ++k) {
      const float value = in[3 * k + w];
      const float* row = tables.imdctShort[k];
      for (int o = 0; o < 6; ++o) half[o] += value * row[o];
    }
    float y[12];
    for (int i = 0; i < 3; ++i) {
      y[i] = half[i];
      y[5 - i] = -half[i];
      y[6 + i] = half[3 + i];
      y[11 - i] = half[3 + i];
    }
    float* to = out + 6 + 6 * w;
    for (int i = 0; i < 12; ++i) to[i] += y[i] * window[i];
  }
}

}  // namespace

void reduceAliases(float spectrum[576], int boundaries) {
  const DecoderTables& tables = decoderTables();
  for (int sb = 1; sb <= boundaries; ++sb) {
    float* lower = spectrum + 18 * sb - 1;  // walks down from the top of subband sb - 1
    float* upper = spectrum + 18 * sb;      // walks up from the bottom of subband sb
    for (int i = 0; i < 8; ++i) {
      const float a = lower[-i], b = upper[i];
      lower[-i] = a * tables.aliasCs[i] - b * tables.aliasCa[i];
      upper[i] = b * tables.aliasCs[i] + a * tables.aliasCa[i];
    }
  }
}

int inverseMdct(const ImdctChannel& channel, float output[18][32]) {
  const DecoderTables& tables = decoderTables();
  const int subbands = (channel.lineCount + 17) / 18;
  const int longSubbands = (channel.longLines + 17) / 18;
  const int produced = std::max<int>(subbands, *channel.overlapSubbands);

  for (int sb = 0; sb < produced; ++sb) {
    float* overlap = channel.overlap + 18 * sb;
    if (sb < subbands) {
      float z[36];
      if (sb < longSubbands) {
        const int window = sb < channel.normalWindowSubbands ? 0 : channel.blockType;
        longBlock(tables, channel.spectrum + 18 * sb, window, z);
      } else {
        shortBlocks(tables, channel.spectrum + 18 * sb, z);
      }
      for (int t = 0; t < 18; ++t) {
        output[t][sb] = z[t] + overlap[t];
        overlap[t] = z[18 + t];
      }
    } else {
      // Nothing new in this subband: only the previous granule's tail.
      for (int t = 0; t < 18; ++t) {
        output[t][sb] = overlap[t];
        overlap[t] = 0.0f;
      }
    }
    if (sb & 1) {
      for (int t = 1; t < 18; t += 2) output[t][sb] = -output[t][sb];
    }
  }
  for (int t = 0; t < 18; ++t)
    for (int sb = produced; sb < 32; ++sb) output[t][sb] = 0.0f;
  *channel.overlapSubbands = subbands;
  return produced;
}

}  // namespace mpeg
