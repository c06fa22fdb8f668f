// Builds Layer III frames for tests: a header, side information written
// field by field, and main data, so that each test states only what it
// needs.
#pragma once

#include <cstdint>
#include <vector>

#include "bit_writer.h"
#include "mpeg/layer3_side_info.h"

// The four header bytes of an MPEG-1 (version 1) or MPEG-2 (2) Layer III
// frame without CRC.
inline std::vector<std::uint8_t> layer3Header(int version, int bitrateIndex, int sampleRateIndex,
                                              int padding, int mode, int modeExtension) {
  const std::uint8_t b1 = version == 1 ? 0xFB : (version == 2 ? 0xF3 : 0xE3);
  return {0xFF, b1, std::uint8_t((bitrateIndex << 4) | (sampleRateIndex << 2) | (padding << 1)),
          std::uint8_t((mode << 6) | (modeExtension << 4) | 0x04)};
}

// Side information for an MPEG-1 frame (two granules) or an MPEG-2 frame (one).
inline void writeSideInfo(BitWriter& w, bool lsf, int channels, const mpeg::Layer3SideInfo& side) {
  w.put(std::uint32_t(side.main_data_begin), lsf ? 8 : 9);
  w.put(0, lsf ? (channels == 1 ? 1 : 2) : (channels == 1 ? 5 : 3));
  if (!lsf)
    for (int ch = 0; ch < channels; ++ch)
      for (int g = 0; g < 4; ++g) w.put(std::uint32_t(side.scfsi[ch][g]), 1);
  for (int gr = 0; gr < (lsf ? 1 : 2); ++gr) {
    for (int ch = 0; ch < channels; ++ch) {
      const mpeg::GranuleChannelInfo& g = side.granule[gr][ch];
      w.put(std::uint32_t(g.part2_3_length), 12);
      w.put(std::uint32_t(g.big_values), 9);
      w.put(std::uint32_t(g.global_gain), 8);
      w.put(std::uint32_t(g.scalefac_compress), lsf ? 9 : 4);
      w.put(std::uint32_t(g.window_switching_flag), 1);
      if (g.window_switching_flag) {
        w.put(std::uint32_t(g.block_type), 2);
        w.put(std::uint32_t(g.mixed_block_flag), 1);
        w.put(std::uint32_t(g.table_select[0]), 5);
        w.put(std::uint32_t(g.table_select[1]), 5);
        for (int k = 0; k < 3; ++k) w.put(std::uint32_t(g.subblock_gain[k]), 3);
      } else {
        for (int k = 0; k < 3; ++k) w.put(std::uint32_t(g.table_select[k]), 5);
        w.put(std::uint32_t(g.region0_count), 4);
        w.put(std::uint32_t(g.region1_count), 3);
      }
      if (!lsf) w.put(std::uint32_t(g.preflag), 1);
      w.put(std::uint32_t(g.scalefac_scale), 1);
      w.put(std::uint32_t(g.count1table_select), 1);
    }
  }
}

// A whole frame: header, side information and `mainData`, zero-filled to
// `frameLength` bytes.
inline std::vector<std::uint8_t> layer3Frame(const std::vector<std::uint8_t>& header,
                                             int frameLength, bool lsf, int channels,
                                             const mpeg::Layer3SideInfo& side,
                                             const std::vector<std::uint8_t>& mainData) {
  BitWriter w;
  for (std::uint8_t b : header) w.put(b, 8);
  writeSideInfo(w, lsf, channels, side);
  for (std::uint8_t b : mainData) w.put(b, 8);
  w.padTo(std::size_t(frameLength));
  w.bytes.resize(std::size_t(frameLength));
  return w.bytes;
}
