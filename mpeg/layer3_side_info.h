// Layer III side information: the per-frame fields that tell where each
// granule's main data lies and how it is coded (ISO/IEC 11172-3 2.4.1.7 for
// MPEG-1, ISO/IEC 13818-3 for the low sampling frequencies, one granule).
#pragma once

#include <cstdint>

#include "mpeg/bit_reader.h"

namespace mpeg {

struct GranuleChannelInfo {
  std::int32_t part2_3_length;
  std::int32_t big_values;
  std::int32_t global_gain;  // already lowered by 2 in mid/side frames
  std::int32_t scalefac_compress;
  std::int32_t window_switching_flag;
  std::int32_t block_type;
  std::int32_t mixed_block_flag;
  std::int32_t table_select[3];
  std::int32_t subblock_gain[3];
  std::int32_t region0_count;
  std::int32_t region1_count;
  std::int32_t preflag;
  std::int32_t scalefac_scale;
  std::int32_t count1table_select;
};

struct Layer3SideInfo {
  std::int32_t main_data_begin;
  std::int32_t scfsi[2][4];
  GranuleChannelInfo granule[2][2];  // [granule slot][channel]
};

// Bytes of side information for a frame of this kind.
int layer3SideInfoBytes(bool lowSamplingFrequency, int channels);

// Reads the side information of one frame from `reader`. MPEG-1 frames fill
// granule slots 0 and 1; low-sampling-frequency frames fill only the slot
// `granuleSlot`. With `midSide` set, global_gain is stored lowered by 2.
void readLayer3SideInfo(BitReader& reader, bool lowSamplingFrequency, int channels, bool midSide,
                        int granuleSlot, Layer3SideInfo& sideInfo);

}  // namespace mpeg
