// The stream interface: header parsing, stream information with and
// without VBR tags, frame lengths, and the failures decodeFrame reports.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "frame_builder.h"
#include "mpeg/mpeg_decoder.h"

namespace {

using mpeg::StreamInfo;

std::vector<std::uint8_t> bytesWithHeader(std::initializer_list<std::uint8_t> header,
                                          std::size_t size = 2000) {
  std::vector<std::uint8_t> bytes(size, 0);
  std::copy(header.begin(), header.end(), bytes.begin());
  return bytes;
}

// A "Xing" tag with `flags` after the side information of an MPEG-1 Layer
// III stereo frame at 44100 Hz.
std::vector<std::uint8_t> xingFrame(std::uint32_t flags, std::uint8_t byte2) {
  auto bytes = bytesWithHeader({0xFF, 0xFB, byte2, 0x64});
  std::uint8_t* tag = bytes.data() + 4 + 32;
  std::memcpy(tag, "Xing", 4);
  const std::uint32_t values[3] = {flags, 1234, 567890};
  for (int i = 0; i < 3; ++i)
    for (int b = 0; b < 4; ++b) tag[4 + 4 * i + b] = std::uint8_t(values[i] >> (24 - 8 * b));
  return bytes;
}

TEST(FrameHeader, UnpacksMpeg1Layer3) {
  const std::uint8_t h[4] = {0xFF, 0xFB, 0x90, 0x64};
  StreamInfo s{};
  ASSERT_EQ(mpeg::parseFrameHeader(h, s), 1);
  EXPECT_EQ(s.version, 1);
  EXPECT_EQ(s.layer, 3);
  EXPECT_EQ(s.crcPresent, 0);
  EXPECT_EQ(s.bitrateIndex, 9);
  EXPECT_EQ(s.sampleRateIndex, 0);
  EXPECT_EQ(s.padding, 0);
  EXPECT_EQ(s.mode, 1);
  EXPECT_EQ(s.modeExtension, 2);
  EXPECT_EQ(s.original, 1);
  EXPECT_EQ(s.copyright, 0);
  EXPECT_EQ(s.emphasis, 0);
}

TEST(FrameHeader, HighNibbleEIsMpeg25WithItsRates) {
  const std::uint8_t h[4] = {0xFF, 0xE2, 0x88, 0xC0};  // ID bit 0, Layer III, sampling index 2
  mpeg::FrameRequest r{};
  ASSERT_EQ(mpeg::parseFrameHeader(h, r), 1);
  EXPECT_EQ(r.version, 3);
  EXPECT_EQ(r.layer, 3);
  EXPECT_EQ(r.crcPresent, 1);
  EXPECT_EQ(mpeg::sampleRateHz(3, 0), 11025);
  EXPECT_EQ(mpeg::sampleRateHz(3, 1), 12000);
  EXPECT_EQ(mpeg::sampleRateHz(3, r.sampleRateIndex), 8000);
  // The ID bit set under 0xE is still MPEG-2.5.
  const std::uint8_t h2[4] = {0xFF, 0xEB, 0x10, 0x00};
  ASSERT_EQ(mpeg::parseFrameHeader(h2, r), 1);
  EXPECT_EQ(r.version, 3);
}

TEST(FrameHeader, RefusesWhatCannotBeDecoded) {
  StreamInfo s{};
  const std::uint8_t noSync[4] = {0xFE, 0xFB, 0x90, 0x64};
  const std::uint8_t badNibble[4] = {0xFF, 0xDB, 0x90, 0x64};
  const std::uint8_t freeFormat[4] = {0xFF, 0xFB, 0x00, 0x64};
  const std::uint8_t index15[4] = {0xFF, 0xFB, 0xF0, 0x64};
  const std::uint8_t reservedRate[4] = {0xFF, 0xFB, 0x9C, 0x64};
  const std::uint8_t reservedLayer[4] = {0xFF, 0xF9, 0x90, 0x64};
  for (const std::uint8_t* h :
       {noSync, badNibble, freeFormat, index15, reservedRate, reservedLayer})
    EXPECT_EQ(mpeg::parseFrameHeader(h, s), 0);
}

TEST(FrameHeader, RateTables) {
  EXPECT_EQ(mpeg::bitrateKbps(1, 3, 9), 128);
  EXPECT_EQ(mpeg::bitrateKbps(1, 3, 14), 320);
  EXPECT_EQ(mpeg::bitrateKbps(1, 2, 14), 384);
  EXPECT_EQ(mpeg::bitrateKbps(1, 1, 14), 448);
  EXPECT_EQ(mpeg::bitrateKbps(2, 1, 14), 256);
  EXPECT_EQ(mpeg::bitrateKbps(2, 3, 1), 8);
  EXPECT_EQ(mpeg::bitrateKbps(3, 2, 14), 160);
  EXPECT_EQ(mpeg::bitrateKbps(1, 3, 0), 0);
  EXPECT_EQ(mpeg::bitrateKbps(1, 3, 15), 0);
  EXPECT_EQ(mpeg::sampleRateHz(1, 2), 32000);
  EXPECT_EQ(mpeg::sampleRateHz(2, 0), 22050);
  EXPECT_EQ(mpeg::sampleRateHz(1, 3), 0);
}

TEST(FrameHeader, ReadBigEndian32) {
  const std::uint8_t b[4] = {0x12, 0x34, 0xAB, 0xCD};
  EXPECT_EQ(mpeg::readBigEndian32(b), 0x1234ABCDu);
}

TEST(StreamInfo, FrameLengthsOf128kbit44100) {
  auto bytes = bytesWithHeader({0xFF, 0xFB, 0x90, 0x64});
  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  mpeg::initDecoder(*decoder);
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(*decoder, bytes.data(), 156, s, 1), 1);
  EXPECT_EQ(s.minFrameLength, 417);
  EXPECT_EQ(s.maxFrameLength, 418);
  EXPECT_EQ(s.outBytesPerFrame, 4608);
  EXPECT_EQ(s.outChannels, 2);
  EXPECT_EQ(s.outBits, 16);
  EXPECT_EQ(s.outSampleRate, 44100);
  EXPECT_EQ(s.bitrate, 128000);
  EXPECT_EQ(s.totalFrames, 0);
  EXPECT_EQ(s.tagFrameLength, 0);
  EXPECT_EQ(s.totalBytes, 0);
  EXPECT_EQ(decoder->streamSampleRate, 44100);
  EXPECT_EQ(decoder->frameOutputBytes, 4608);

  // The padded frame: the same lengths, and decodeFrame consumes 418.
  bytes[2] = 0x92;
  ASSERT_EQ(mpeg::readStreamInfo(*decoder, bytes.data(), 156, s, 1), 1);
  EXPECT_EQ(s.minFrameLength, 417);
  EXPECT_EQ(s.maxFrameLength, 418);
  ASSERT_EQ(mpeg::startStream(*decoder, bytes.data(), int(bytes.size())), 1);
  std::vector<std::uint8_t> pcm(4608);
  mpeg::FrameRequest r{};
  r.input = bytes.data();
  r.available = 418;
  r.output = pcm.data();
  ASSERT_EQ(mpeg::decodeFrame(*decoder, r), 1);
  EXPECT_EQ(r.available, 418);
  EXPECT_EQ(r.outBytes, 4608);
  EXPECT_EQ(r.bitrate, 128000);
  r.input = bytes.data();
  r.available = 417;  // one byte short of the padded frame
  EXPECT_EQ(mpeg::decodeFrame(*decoder, r), 0);
}

TEST(StreamInfo, Mpeg2SingleChannelAt24000) {
  auto bytes = bytesWithHeader({0xFF, 0xF3, 0x84, 0xC0});  // 64 kbit/s, 24000 Hz, single channel
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 1);
  EXPECT_EQ(s.version, 2);
  EXPECT_EQ(s.outChannels, 1);
  EXPECT_EQ(s.outBytesPerFrame, 1152);
  EXPECT_EQ(s.minFrameLength, 144 * 64000 / 24000 / 2);
}

TEST(StreamInfo, LayerOneAndTwoLengths) {
  // Layer I, 32 kbit/s x 12 = 384 kbit/s at 48000 Hz: 4 x (12 x 384000 / 48000) = 384.
  auto l1 = bytesWithHeader({0xFF, 0xFF, 0xC4, 0x00});
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(l1.data(), 156, s), 1);
  EXPECT_EQ(s.layer, 1);
  EXPECT_EQ(s.minFrameLength, 384);
  EXPECT_EQ(s.maxFrameLength, 388);
  EXPECT_EQ(s.outBytesPerFrame, 384 * 2 * 2);
  // Layer II, 384 kbit/s at 32000 Hz: 1728, padded 1729.
  auto l2 = bytesWithHeader({0xFF, 0xFD, 0xE8, 0x00});
  ASSERT_EQ(mpeg::readStreamInfo(l2.data(), 156, s), 1);
  EXPECT_EQ(s.layer, 2);
  EXPECT_EQ(s.minFrameLength, 1728);
  EXPECT_EQ(s.maxFrameLength, 1729);
  EXPECT_EQ(s.outBytesPerFrame, 1152 * 2 * 2);
}

TEST(StreamInfo, XingTag) {
  auto bytes = xingFrame(0x0F, 0x50);  // 64 kbit/s frame carrying the tag
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 1);
  EXPECT_EQ(s.bitrate, 0);
  EXPECT_EQ(s.totalFrames, 1234);
  EXPECT_EQ(s.totalBytes, 567890);
  EXPECT_EQ(s.tagFrameLength, 144 * 64000 / 44100);
  EXPECT_EQ(s.minFrameLength, 104);
  EXPECT_EQ(s.maxFrameLength, 1045);
  bytes[2] = 0x52;  // padded
  ASSERT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 1);
  EXPECT_EQ(s.tagFrameLength, 144 * 64000 / 44100 + 1);
}

TEST(StreamInfo, XingTagWithOnlyTheByteCount) {
  // Without the frames field the byte count follows the flags directly.
  auto bytes = xingFrame(0x02, 0x50);
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 1);
  EXPECT_EQ(s.totalFrames, 0);
  EXPECT_EQ(s.totalBytes, 1234);
}

TEST(StreamInfo, XingTagWithoutCountsFails) {
  auto bytes = xingFrame(0x0C, 0x50);
  StreamInfo s{};
  EXPECT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 0);
  bytes = xingFrame(0x00, 0x50);
  EXPECT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 0);
}

TEST(StreamInfo, VbriTag) {
  auto bytes = bytesWithHeader({0xFF, 0xFB, 0x90, 0x64});
  std::uint8_t* tag = bytes.data() + 36;
  std::memcpy(tag, "VBRI", 4);
  tag[10 + 3] = 0x99;  // bytes
  tag[14 + 2] = 0x01;  // frames = 256
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(bytes.data(), 156, s), 1);
  EXPECT_EQ(s.totalBytes, 0x99);
  EXPECT_EQ(s.totalFrames, 256);
  EXPECT_EQ(s.bitrate, 0);
}

TEST(StreamInfo, NeedsAtLeast156Bytes) {
  // Exactly the bytes offered are allocated, so a read past them is caught
  // by the address sanitizer builds.
  std::vector<std::uint8_t> frame(155, 0);
  frame[0] = 0xFF;
  frame[1] = 0xFB;
  frame[2] = 0x10;  // 32 kbit/s: the frame itself is 104 bytes long
  frame[3] = 0x64;
  StreamInfo s{};
  EXPECT_EQ(mpeg::readStreamInfo(frame.data(), 155, s), 0);
  frame.push_back(0);
  EXPECT_EQ(mpeg::readStreamInfo(frame.data(), 156, s), 1);
}

TEST(StreamInfo, RecordFlagZeroKeepsTheDecoderAsItWas) {
  auto bytes = bytesWithHeader({0xFF, 0xF3, 0x84, 0xC0});
  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  mpeg::initDecoder(*decoder);
  StreamInfo s{};
  ASSERT_EQ(mpeg::readStreamInfo(*decoder, bytes.data(), 156, s, 0), 1);
  EXPECT_EQ(decoder->streamSampleRate, 0);
  EXPECT_EQ(decoder->frameOutputBytes, 0);
}

TEST(DecodeFrame, FailsBeforeAStreamAndOnShortInput) {
  auto bytes = bytesWithHeader({0xFF, 0xFB, 0x90, 0x64});
  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  mpeg::initDecoder(*decoder);
  std::vector<std::uint8_t> pcm(4608);
  mpeg::FrameRequest r{};
  r.input = bytes.data();
  r.available = 417;
  r.output = pcm.data();
  EXPECT_EQ(mpeg::decodeFrame(*decoder, r), 0);  // no startStream yet

  ASSERT_EQ(mpeg::startStream(*decoder, bytes.data(), 417), 1);
  EXPECT_EQ(decoder->frequencyLimit, 24000);
  r.available = 4;
  EXPECT_EQ(mpeg::decodeFrame(*decoder, r), 0);
  r.available = 416;
  EXPECT_EQ(mpeg::decodeFrame(*decoder, r), 0);
  bytes[1] = 0x00;  // no sync
  r.available = 417;
  EXPECT_EQ(mpeg::decodeFrame(*decoder, r), 0);
}

TEST(DecodeFrame, AFrameOfAnotherLayerGoesThroughTheStreamsLayer) {
  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  mpeg::initDecoder(*decoder);
  auto first = bytesWithHeader({0xFF, 0xFB, 0x90, 0x64});
  ASSERT_EQ(mpeg::startStream(*decoder, first.data(), 417), 1);
  // A Layer II header: its length comes from the Layer II formula, but the
  // Layer III routine decodes it (silent: all side information zero).
  auto other = bytesWithHeader({0xFF, 0xFD, 0x90, 0x04});
  std::vector<std::uint8_t> pcm(4608, 0x55);
  mpeg::FrameRequest r{};
  r.input = other.data();
  r.available = int(other.size());
  r.output = pcm.data();
  ASSERT_EQ(mpeg::decodeFrame(*decoder, r), 1);
  EXPECT_EQ(r.layer, 2);
  EXPECT_EQ(r.available, 144 * 160000 / 44100);  // Layer II index 9: 160 kbit/s
  for (std::uint8_t b : pcm) ASSERT_EQ(b, 0);
}

TEST(StartStream, NeedsAReadableFirstFrame) {
  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  mpeg::initDecoder(*decoder);
  auto tooShort = bytesWithHeader({0xFF, 0xFB, 0x90, 0x64});
  EXPECT_EQ(mpeg::startStream(*decoder, tooShort.data(), 155), 0);
}

}  // namespace
