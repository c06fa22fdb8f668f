// Whole Layer III frames built bit by bit: the stream limits, the bit
// reservoir (back-pointers, compaction, frames that cannot be held), the
// granule parity of MPEG-2, mid/side's global_gain, and silence above the
// line limit.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "frame_builder.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/standard_tables.h"
#include "test_stream.h"

namespace {

std::vector<std::uint8_t> mainDataOf(int size, std::uint8_t first) {
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size), 0);
  for (int i = 0; i < size; ++i) data[std::size_t(i)] = std::uint8_t(first + i);
  return data;
}

TEST(Layer3Stream, LimitsAt44100And22050) {
  const mpeg::Layer3SideInfo side{};
  TestStream mpeg1(layer3Frame(layer3Header(1, 9, 0, 0, 1, 2), 417, false, 2, side, {}));
  EXPECT_EQ(mpeg1.decoder->layer3.lineLimit, 558);
  EXPECT_EQ(mpeg1.decoder->layer3.longLimit, 558);
  EXPECT_EQ(mpeg1.decoder->layer3.shortLimit, 558);
  EXPECT_EQ(mpeg1.decoder->layer3.synthesisSubbands, 31);

  TestStream mpeg2(layer3Frame(layer3Header(2, 8, 0, 0, 1, 0), 208, true, 2, side, {}));
  EXPECT_EQ(mpeg2.decoder->layer3.longLimit, 522);
  EXPECT_EQ(mpeg2.decoder->layer3.shortLimit, 522);
  EXPECT_EQ(mpeg2.decoder->layer3.lineLimit, 530);

  // Every rate from 8000 to 48000 Hz leaves the top subband out.
  for (int version : {1, 2, 3})
    for (int rateIndex = 0; rateIndex < 3; ++rateIndex) {
      TestStream s(layer3Frame(layer3Header(version, 8, rateIndex, 0, 3, 0), 400, version != 1, 1,
                               side, {}));
      EXPECT_LE(s.decoder->layer3.lineLimit, 558);
      EXPECT_LE(s.decoder->layer3.synthesisSubbands, 31);
    }
}

TEST(Layer3Stream, Mpeg2FramesTakeGranuleSlotsInTurn) {
  // 64 kbit/s, 24000 Hz, single channel: 192-byte frames.
  const mpeg::Layer3SideInfo side{};
  const auto frame = layer3Frame(layer3Header(2, 8, 1, 0, 3, 0), 192, true, 1, side, {});
  TestStream s(frame);
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(s.decoder->layer3.granuleParity, n % 2) << n;
    ASSERT_EQ(s.decode(frame), 1);
    EXPECT_EQ(s.outBytes, 1152);
  }
  EXPECT_EQ(s.decoder->layer3.granuleParity, 0);
  // A new stream starts again at slot 0.
  ASSERT_EQ(s.decode(frame), 1);
  ASSERT_EQ(mpeg::startStream(*s.decoder, frame.data(), 192), 1);
  EXPECT_EQ(s.decoder->layer3.granuleParity, 0);
}

TEST(Layer3Stream, MainDataBeyondTheReservoirGivesNoPcm) {
  mpeg::Layer3SideInfo side{};
  const auto header = layer3Header(1, 9, 0, 0, 1, 0);
  const auto first = layer3Frame(header, 417, false, 2, side, {});
  TestStream s(first);
  side.main_data_begin = 1;  // one byte before anything held
  ASSERT_EQ(s.decode(layer3Frame(header, 417, false, 2, side, {})), 1);
  EXPECT_EQ(s.outBytes, 4608);
  EXPECT_TRUE(s.untouched());
  // The bytes were still kept: the next frame may reach back into them.
  EXPECT_EQ(s.decoder->layer3.reservoirBytes, 417 - 36);
  side.main_data_begin = 300;
  ASSERT_EQ(s.decode(layer3Frame(header, 417, false, 2, side, {})), 1);
  EXPECT_FALSE(s.untouched());
  EXPECT_EQ(s.decoder->layer3.mainDataStart, 417 - 36 - 300);
}

TEST(Layer3Stream, FirstFrameWithoutBackPointerDecodes) {
  mpeg::Layer3SideInfo side{};
  const auto frame = layer3Frame(layer3Header(1, 9, 0, 0, 1, 0), 417, false, 2, side, {});
  TestStream s(frame);
  ASSERT_EQ(s.decode(frame), 1);
  EXPECT_EQ(s.outBytes, 4608);
  EXPECT_TRUE(s.silent(4608));  // silent, but written
}

TEST(Layer3Stream, MidSideLowersGlobalGainByTwo) {
  mpeg::Layer3SideInfo side{};
  side.granule[0][0].global_gain = 210;
  side.granule[1][1].global_gain = 100;
  const auto frame = layer3Frame(layer3Header(1, 9, 0, 0, 1, 2), 417, false, 2, side, {});
  TestStream s(frame);
  ASSERT_EQ(s.decode(frame), 1);
  EXPECT_EQ(s.decoder->layer3.sideInfo.granule[0][0].global_gain, 208);
  EXPECT_EQ(s.decoder->layer3.sideInfo.granule[1][1].global_gain, 98);
  EXPECT_EQ(s.decoder->layer3.midSide, 1);
  // Without mid/side the value stays.
  const auto plain = layer3Frame(layer3Header(1, 9, 0, 0, 0, 0), 417, false, 2, side, {});
  ASSERT_EQ(s.decode(plain), 1);
  EXPECT_EQ(s.decoder->layer3.sideInfo.granule[0][0].global_gain, 210);
}

TEST(Layer3Stream, ReservoirIsCompactedAbove6692Bytes) {
  // 320 kbit/s at 44100 Hz: 1044-byte frames with 1008 bytes of main data.
  mpeg::Layer3SideInfo side{};
  const auto header = layer3Header(1, 14, 0, 0, 0, 0);
  TestStream s(layer3Frame(header, 1044, false, 2, side, {}));
  for (int n = 1; n <= 7; ++n) {
    ASSERT_EQ(
        s.decode(layer3Frame(header, 1044, false, 2, side, mainDataOf(1008, std::uint8_t(n)))), 1);
    EXPECT_EQ(s.decoder->layer3.reservoirBytes, 1008 * n);
  }
  // 7056 bytes held: the next frame keeps only what it points back to.
  side.main_data_begin = 100;
  ASSERT_EQ(s.decode(layer3Frame(header, 1044, false, 2, side, mainDataOf(1008, 200))), 1);
  EXPECT_EQ(s.decoder->layer3.reservoirBytes, 100 + 1008);
  EXPECT_EQ(s.decoder->layer3.mainDataStart, 0);
  const std::uint8_t* r = s.decoder->layer3.reservoir;
  EXPECT_EQ(r[0], std::uint8_t(7 + 908));  // the last 100 bytes of frame 7
  EXPECT_EQ(r[99], std::uint8_t(7 + 1007));
  EXPECT_EQ(r[100], 200);
  // The largest Layer III frame (320 kbit/s at 32000 Hz, padded: 1441
  // bytes) still fits after a compaction.
  side.main_data_begin = 511;
  const auto big = layer3Header(1, 14, 2, 1, 0, 0);
  for (int n = 0; n < 8; ++n) ASSERT_EQ(s.decode(layer3Frame(big, 1441, false, 2, side, {})), 1);
  EXPECT_LE(s.decoder->layer3.reservoirBytes, mpeg::kReservoirBytes);
}

TEST(Layer3Stream, AFrameTooLargeForTheReservoirIsDropped) {
  // A 32000 Hz stereo stream filled to 6552 bytes, then a Layer II header
  // at 384 kbit/s (1728 bytes, 1692 of "main data"): it cannot be held.
  mpeg::Layer3SideInfo side{};
  TestStream s(layer3Frame(layer3Header(1, 14, 2, 0, 0, 0), 1440, false, 2, side, {}));
  const int bitrates[6] = {14, 14, 14, 13, 13, 1};
  const int lengths[6] = {1440, 1440, 1440, 1152, 1152, 144};
  for (int n = 0; n < 6; ++n)
    ASSERT_EQ(s.decode(layer3Frame(layer3Header(1, bitrates[n], 2, 0, 0, 0), lengths[n], false, 2,
                                   side, {})),
              1);
  ASSERT_EQ(s.decoder->layer3.reservoirBytes, 6552);
  std::vector<std::uint8_t> layer2(1728, 0xFF);
  layer2[0] = 0xFF;
  layer2[1] = 0xFD;
  layer2[2] = 0xE8;
  layer2[3] = 0x00;
  ASSERT_EQ(s.decode(layer2), 1);
  EXPECT_TRUE(s.untouched());
  EXPECT_EQ(s.decoder->layer3.reservoirBytes, 6552);
}

TEST(Layer3Stream, LinesAboveTheLimitStaySilent) {
  // Granule 0, left channel: 288 pairs of ones with table 1 over all 576
  // lines; the top subband must not reach the synthesis.
  mpeg::Layer3SideInfo side{};
  mpeg::GranuleChannelInfo& g = side.granule[0][0];
  g.big_values = 288;
  g.global_gain = 150;
  g.table_select[0] = g.table_select[1] = g.table_select[2] = 1;
  g.region0_count = 15;
  g.region1_count = 7;
  BitWriter data;
  const mpeg::HuffmanCodeword one = mpeg::kHuffmanTables[1].codes[3];  // x = 1, y = 1
  for (int pair = 0; pair < 288; ++pair) {
    data.code(one.length, one.bits);
    data.put(0, 2);  // both positive
  }
  g.part2_3_length = data.bitCount;
  const auto header = layer3Header(1, 14, 0, 0, 3, 0);  // single channel
  const auto frame = layer3Frame(header, 1044, false, 1, side, data.bytes);
  TestStream s(frame);
  ASSERT_EQ(s.decode(frame), 1);
  const mpeg::Layer3State& l3 = s.decoder->layer3;
  EXPECT_EQ(l3.nonzeroLines[0][0], 558);
  EXPECT_NE(l3.spectrum[0][0][557], 0.0f);
  // Granule 1 is empty: its output is granule 0's overlap, in every
  // subband but the top one.
  for (int sb = 0; sb < 32; ++sb) {
    float energy = 0.0f;
    for (int t = 0; t < 18; ++t) energy += l3.subbandSamples[t][sb] * l3.subbandSamples[t][sb];
    if (sb < 31) {
      EXPECT_GT(energy, 0.0f) << sb;
    } else {
      EXPECT_EQ(energy, 0.0f);
    }
  }
  EXPECT_FALSE(s.untouched());
}

}  // namespace
