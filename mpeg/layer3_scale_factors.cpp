// Reading Layer III scale factors.
#include "mpeg/layer3_scale_factors.h"

#include <cstring>

#include "mpeg/standard_tables.h"

namespace mpeg {

namespace {

void clearFactors(ScaleFactors& factors) {
  std::memset(factors.longBand, 0, sizeof factors.longBand);
  std::memset(factors.shortBand, 0, sizeof factors.shortBand);
  std::memset(factors.longLimit, 0, sizeof factors.longLimit);
  std::memset(factors.shortLimit, 0, sizeof factors.shortLimit);
  factors.intensityScale = 0;
}

}  // namespace

LsfCompression lsfCompression(int scalefac_compress, bool intensityRight) {
  LsfCompression c{{0, 0, 0, 0}, 0, 0};
  if (!intensityRight) {
    const int s = scalefac_compress;
    if (s < 400) {
      c.slen[0] = (s >> 4) / 5;
      c.slen[1] = (s >> 4) % 5;
      c.slen[2] = (s & 15) >> 2;
      c.slen[3] = s & 3;
      c.table = 0;
    } else if (s < 500) {
      const int t = s - 400;
      c.slen[0] = (t >> 2) / 5;
      c.slen[1] = (t >> 2) % 5;
      c.slen[2] = t & 3;
      c.table = 1;
    } else {
      const int t = s - 500;
      c.slen[0] = t / 3;
      c.slen[1] = t % 3;
      c.table = 2;
      c.preflag = 1;
    }
  } else {
    // The right channel of an intensity-stereo frame: the upper eight
    // bits select the partitions, bit 0 is the intensity scale.
    const int s = scalefac_compress >> 1;
    if (s < 180) {
      c.slen[0] = s / 36;
      c.slen[1] = (s % 36) / 6;
      c.slen[2] = (s % 36) % 6;
      c.table = 3;
    } else if (s < 244) {
      const int t = s - 180;
      c.slen[0] = (t % 64) >> 4;
      c.slen[1] = (t % 16) >> 2;
      c.slen[2] = t % 4;
      c.table = 4;
    } else {
      const int t = s - 244;
      c.slen[0] = t / 3;
      c.slen[1] = t % 3;
      c.table = 5;
    }
  }
  return c;
}

void readScaleFactorsMpeg1(BitReader& reader, const GranuleChannelInfo& info,
                           const std::int32_t scfsi[4], int granule, const ScaleFactors& previous,
                           ScaleFactors& factors) {
  const int slen1 = kSlen[info.scalefac_compress][0];
  const int slen2 = kSlen[info.scalefac_compress][1];
  if (info.block_type == 2) {
    ScaleFactors fresh;
    clearFactors(fresh);
    int firstShortBand = 0;
    if (info.mixed_block_flag) {
      for (int band = 0; band < 8; ++band)
        fresh.longBand[band] = std::uint8_t(getBits(reader, slen1));
      firstShortBand = 3;
    }
    for (int band = firstShortBand; band < 12; ++band) {
      const int bits = band < 6 ? slen1 : slen2;
      for (int w = 0; w < 3; ++w) fresh.shortBand[band][w] = std::uint8_t(getBits(reader, bits));
    }
    factors = fresh;
    return;
  }
  // Long blocks: each scfsi group is read, or in granule 1 kept from granule 0.
  ScaleFactors fresh;
  clearFactors(fresh);
  for (int group = 0; group < 4; ++group) {
    const int bits = group < 2 ? slen1 : slen2;
    const bool reuse = granule == 1 && scfsi[group] != 0;
    for (int band = kScfsiBandStart[group]; band < kScfsiBandStart[group + 1]; ++band)
      fresh.longBand[band] = reuse ? previous.longBand[band] : std::uint8_t(getBits(reader, bits));
  }
  factors = fresh;
}

void readScaleFactorsLsf(BitReader& reader, GranuleChannelInfo& info, bool intensityRight,
                         ScaleFactors& factors) {
  clearFactors(factors);
  const LsfCompression c = lsfCompression(info.scalefac_compress, intensityRight);
  info.preflag = c.preflag;
  factors.intensityScale = intensityRight ? (info.scalefac_compress & 1) : 0;

  const int blockKind = info.block_type == 2 ? (info.mixed_block_flag ? 2 : 1) : 0;
  const std::uint8_t* counts = kLsfPartitionCounts[c.table][blockKind];
  // The factors follow one another: long bands first (all 21 for long
  // blocks, 6 for mixed blocks), then short bands window by window.
  const int longCount = blockKind == 0 ? 21 : (blockKind == 2 ? 6 : 0);
  const int firstShortBand = blockKind == 2 ? 3 : 0;
  int index = 0;
  for (int partition = 0; partition < 4; ++partition) {
    const int bits = c.slen[partition];
    const std::uint8_t limit = std::uint8_t((1 << bits) - 1);
    for (int n = 0; n < counts[partition]; ++n, ++index) {
      const std::uint8_t value = std::uint8_t(getBits(reader, bits));
      if (index < longCount) {
        factors.longBand[index] = value;
        factors.longLimit[index] = limit;
      } else {
        const int shortIndex = index - longCount;
        const int band = firstShortBand + shortIndex / 3;
        if (band >= 12) continue;
        factors.shortBand[band][shortIndex % 3] = value;
        factors.shortLimit[band] = limit;
      }
    }
  }
  // The last band carries no factor; intensity stereo uses the position
  // limit of the band below it.
  factors.longLimit[21] = factors.longLimit[20];
  factors.shortLimit[12] = factors.shortLimit[11];
}

}  // namespace mpeg
