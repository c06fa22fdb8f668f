// Layer III scale factors of one granule and channel: reading them from the
// main data (MPEG-1 with scfsi reuse, ISO/IEC 11172-3 2.4.2.7; the MPEG-2
// partitions of ISO/IEC 13818-3, including those of the intensity-stereo
// right channel) and the intensity-position limits that stereo decoding needs.
#pragma once

#include <cstdint>

#include "mpeg/bit_reader.h"
#include "mpeg/layer3_side_info.h"

namespace mpeg {

struct ScaleFactors {
  std::uint8_t longBand[22];      // scalefac_l, band 21 always 0
  std::uint8_t shortBand[13][3];  // scalefac_s[band][window], band 12 always 0
  // Low sampling frequencies, intensity-stereo right channel only: the
  // illegal intensity position of each band (2^slen - 1 of its partition)
  // and the intensity scale (scalefac_compress bit 0).
  std::uint8_t longLimit[22];
  std::uint8_t shortLimit[13];
  std::int32_t intensityScale;
};

// slen1..slen4, the partition table (0-5, an index of kLsfPartitionCounts)
// and preflag of a low-sampling-frequency scalefac_compress
// (ISO/IEC 13818-3 2.4.3.2); `intensityRight` for the right channel of an
// intensity-stereo frame.
struct LsfCompression {
  int slen[4];
  int table;
  int preflag;
};
LsfCompression lsfCompression(int scalefac_compress, bool intensityRight);

// MPEG-1: reads the factors of granule `granule` (0 or 1) of one channel.
// In granule 1 the groups flagged in `scfsi` are copied from `previous`
// (granule 0's factors of the same channel).
void readScaleFactorsMpeg1(BitReader& reader, const GranuleChannelInfo& info,
                           const std::int32_t scfsi[4], int granule, const ScaleFactors& previous,
                           ScaleFactors& factors);

// Low sampling frequencies: reads the factors of one channel; the right
// channel of an intensity-stereo frame (`intensityRight`) uses the
// intensity partitions and records its position limits. Sets info.preflag.
void readScaleFactorsLsf(BitReader& reader, GranuleChannelInfo& info, bool intensityRight,
                         ScaleFactors& factors);

}  // namespace mpeg
