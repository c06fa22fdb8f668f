// Reading Layer III side information.
#include "mpeg/layer3_side_info.h"

namespace mpeg {

namespace {

void readGranuleChannel(BitReader& reader, bool lowSamplingFrequency, bool midSide,
                        GranuleChannelInfo& g) {
  g.part2_3_length = std::int32_t(getBits(reader, 12));
  g.big_values = std::int32_t(getBits(reader, 9));
  g.global_gain = std::int32_t(getBits(reader, 8));
  // The mid/side matrix's factor 1/sqrt(2) is a global_gain two steps lower.
  if (midSide) g.global_gain -= 2;
  g.scalefac_compress = std::int32_t(getBits(reader, lowSamplingFrequency ? 9 : 4));
  g.window_switching_flag = std::int32_t(getBits(reader, 1));
  if (g.window_switching_flag) {
    g.block_type = std::int32_t(getBits(reader, 2));
    g.mixed_block_flag = std::int32_t(getBits(reader, 1));
    g.table_select[0] = std::int32_t(getBits(reader, 5));
    g.table_select[1] = std::int32_t(getBits(reader, 5));
    g.table_select[2] = 0;
    for (int w = 0; w < 3; ++w) g.subblock_gain[w] = std::int32_t(getBits(reader, 3));
    if (lowSamplingFrequency && g.block_type == 2) {
      g.region0_count = 5;
      g.region1_count = 15;
    } else {
      g.region0_count = 7;
      g.region1_count = 13;
    }
  } else {
    g.block_type = 0;
    g.mixed_block_flag = 0;
    for (int r = 0; r < 3; ++r) g.table_select[r] = std::int32_t(getBits(reader, 5));
    for (int w = 0; w < 3; ++w) g.subblock_gain[w] = 0;
    g.region0_count = std::int32_t(getBits(reader, 4));
    g.region1_count = std::int32_t(getBits(reader, 3));
  }
  // MPEG-2 carries no preflag; its scale factors set it.
  g.preflag = lowSamplingFrequency ? 0 : std::int32_t(getBits(reader, 1));
  g.scalefac_scale = std::int32_t(getBits(reader, 1));
  g.count1table_select = std::int32_t(getBits(reader, 1));
}

}  // namespace

int layer3SideInfoBytes(bool lowSamplingFrequency, int channels) {
  if (!lowSamplingFrequency) return channels == 1 ? 17 : 32;
  return channels == 1 ? 9 : 17;
}

void readLayer3SideInfo(BitReader& reader, bool lowSamplingFrequency, int channels, bool midSide,
                        int granuleSlot, Layer3SideInfo& sideInfo) {
  if (!lowSamplingFrequency) {
    sideInfo.main_data_begin = std::int32_t(getBits(reader, 9));
    getBits(reader, channels == 1 ? 5 : 3);  // private bits
    for (int ch = 0; ch < channels; ++ch)
      for (int group = 0; group < 4; ++group)
        sideInfo.scfsi[ch][group] = std::int32_t(getBits(reader, 1));
    for (int gr = 0; gr < 2; ++gr)
      for (int ch = 0; ch < channels; ++ch)
        readGranuleChannel(reader, false, midSide, sideInfo.granule[gr][ch]);
  } else {
    sideInfo.main_data_begin = std::int32_t(getBits(reader, 8));
    getBits(reader, channels == 1 ? 1 : 2);  // private bits
    for (int ch = 0; ch < channels; ++ch) {
      for (int group = 0; group < 4; ++group) sideInfo.scfsi[ch][group] = 0;
      readGranuleChannel(reader, true, midSide, sideInfo.granule[granuleSlot][ch]);
    }
  }
}

}  // namespace mpeg
