// Layer III requantisation and short-block reordering.
#include "mpeg/layer3_requantize.h"

#include <algorithm>
#include <cstring>

#include "mpeg/decoder_tables.h"

namespace mpeg {

namespace {

// sign(value) |value|^(4/3) x gain, without branches: the sign goes onto
// the magnitude's sign bit.
inline float requantize(const DecoderTables& tables, std::int32_t value, float gain) {
  const std::uint32_t negative = std::uint32_t(value) >> 31;
  const float magnitude = tables.pow43[value < 0 ? -value : value] * gain;
  std::uint32_t bits;
  std::memcpy(&bits, &magnitude, 4);
  bits ^= negative << 31;
  float result;
  std::memcpy(&result, &bits, 4);
  return result;
}

}  // namespace

RequantizeResult requantizeChannel(const std::int32_t values[576], int nonzeroLines,
                                   const GranuleChannelInfo& info, const ScaleFactors& factors,
                                   const ScaleFactorBands& bands, int mixedLongLines, int lineLimit,
                                   float spectrum[576]) {
  const DecoderTables& tables = decoderTables();
  RequantizeResult result{0, -1, {-1, -1, -1}};
  const float globalGain = tables.globalGain[info.global_gain + 6];
  const int scale = info.scalefac_scale;

  const bool shortBlocks = info.block_type == 2;
  const int longLines = shortBlocks ? (info.mixed_block_flag ? mixedLongLines : 0) : 576;
  const int longEnd = std::min(nonzeroLines, longLines);

  // Long bands (all of a long block, the lower bands of a mixed block).
  int line = 0;
  for (int band = 0; band < 22 && line < longEnd; ++band) {
    const int end = std::min<int>(bands.longBoundary[band + 1], longEnd);
    const int emphasis = info.preflag ? kPretab[band] : 0;
    const float gain = globalGain * tables.scaleFactorGain[scale][emphasis][factors.longBand[band]];
    std::int32_t any = 0;
    for (; line < end; ++line) {
      const std::int32_t value = values[line];
      spectrum[line] = requantize(tables, value, gain);
      any |= value;
    }
    if (any != 0) result.lastLongBand = band;
  }
  int extent = longEnd;

  if (shortBlocks) {
    const int firstBand = info.mixed_block_flag ? 3 : 0;
    for (int band = firstBand; band < 13; ++band) {
      const int start = bands.shortBoundary[band];
      const int width = bands.shortBoundary[band + 1] - start;
      const int base = 3 * start;
      if (base >= nonzeroLines) break;
      for (int w = 0; w < 3; ++w) {
        const float gain = globalGain * tables.subblockGain[info.subblock_gain[w]] *
                           tables.scaleFactorGain[scale][0][factors.shortBand[band][w]];
        const std::int32_t* from = values + base + w * width;
        float* to = spectrum + base + w;
        bool nonzero = false;
        for (int j = 0; j < width; ++j) {
          const std::int32_t value = from[j];
          to[3 * j] = requantize(tables, value, gain);
          nonzero |= value != 0;
        }
        if (nonzero) result.lastShortBand[w] = band;
      }
      // Reordering spreads a band's lines over the whole band.
      extent = base + 3 * width;
    }
  }

  extent = std::min(extent, lineLimit);
  std::memset(spectrum + extent, 0, (576 - extent) * sizeof(float));
  result.lineCount = extent;
  return result;
}

}  // namespace mpeg
