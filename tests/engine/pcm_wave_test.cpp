// Finding the samples of PCM WAVE files: the shared RIFF chunk walk, and
// what is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/pcm_wave.h"
#include "engine/riff_chunk_walk.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Le(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Text(Bytes& b, const char* t) {
  b.insert(b.end(), t, t + std::strlen(t));
}

struct Format {
  uint16_t tag = 1, channels = 2;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  uint16_t blockAlign = 4;
};

Bytes Wave(const Format& f, uint32_t dataBytes, uint32_t claimedDataBytes, bool listFirst) {
  Bytes b;
  Text(b, "RIFF");
  Le(b, 0, 4);
  Text(b, "WAVE");
  if (listFirst) {  // an odd-sized chunk before the format: padded to even
    Text(b, "LIST");
    Le(b, 3, 4);
    Text(b, "abc");
    b.push_back(0);
  }
  Text(b, "fmt ");
  Le(b, 16, 4);
  Le(b, f.tag, 2);
  Le(b, f.channels, 2);
  Le(b, f.rate, 4);
  Le(b, f.rate * f.blockAlign, 4);
  Le(b, f.blockAlign, 2);
  Le(b, f.bits, 2);
  Text(b, "data");
  Le(b, claimedDataBytes, 4);
  b.insert(b.end(), dataBytes, 0x7F);
  return b;
}

bool Find(const Bytes& b, PcmWave* w) {
  return FindPcmWave(b.data(), static_cast<uint32_t>(b.size()), w);
}

}  // namespace

TEST(PcmWave, WalksChunksToTheSamples) {
  PcmWave w;
  Bytes plain = Wave(Format{}, 4000, 4000, false);
  ASSERT_TRUE(Find(plain, &w));
  EXPECT_EQ(w.dataOffset, 44u);
  EXPECT_EQ(w.dataBytes, 4000u);
  EXPECT_EQ(w.sampleRate, 44100u);
  EXPECT_EQ(w.FrameBytes(), 4u);
  Bytes listed = Wave(Format{}, 4000, 4000, true);
  ASSERT_TRUE(Find(listed, &w));
  EXPECT_EQ(w.dataOffset, 56u);
}

TEST(PcmWave, DataClaimingMoreThanTheFileIsCutToWholeFrames) {
  PcmWave w;
  Bytes b = Wave(Format{}, 4003, 0xFFFFFFFF, false);
  ASSERT_TRUE(Find(b, &w));
  EXPECT_EQ(w.dataBytes, 4000u);
}

TEST(PcmWave, EightBitMonoIsAccepted) {
  PcmWave w;
  Format f;
  f.channels = 1;
  f.bits = 8;
  f.blockAlign = 1;
  ASSERT_TRUE(Find(Wave(f, 100, 100, false), &w));
  EXPECT_EQ(w.bitsPerSample, 8u);
  EXPECT_EQ(w.FrameBytes(), 1u);
}

TEST(PcmWave, RefusesOtherEncodingsAndBrokenFormats) {
  PcmWave w;
  Format mpeg;
  mpeg.tag = 0x55;
  Format wide;
  wide.bits = 24;
  wide.blockAlign = 6;
  Format misaligned;
  misaligned.blockAlign = 3;
  Format silent;
  silent.channels = 0;
  for (const Format& f : {mpeg, wide, misaligned, silent})
    EXPECT_FALSE(Find(Wave(f, 100, 100, false), &w));
  Bytes truncated = Wave(Format{}, 100, 100, false);
  truncated.resize(30);  // inside the format chunk
  EXPECT_FALSE(Find(truncated, &w));
  Bytes notRiff(100, 0);
  EXPECT_FALSE(Find(notRiff, &w));
}

TEST(RiffChunkWalk, HandsOutEveryChunkInOrderAndStopsAtTheEnd) {
  // Odd lengths are padded to even; a chunk that claims more than the file
  // holds is the last one handed out, with its stated length.
  Bytes b;
  Text(b, "RIFF");
  Le(b, 0, 4);
  Text(b, "WAVE");
  Text(b, "odd ");
  Le(b, 3, 4);
  Text(b, "abc");
  b.push_back(0);
  Text(b, "even");
  Le(b, 2, 4);
  Text(b, "xy");
  Text(b, "huge");
  Le(b, 0xFFFFFFF0u, 4);
  Text(b, "tail");
  RiffChunkWalk walk(b.data(), static_cast<uint32_t>(b.size()), "WAVE");
  RiffChunk c;
  std::vector<std::string> ids;
  std::vector<uint32_t> offsets, lengths, inFile;
  while (walk.Next(&c)) {
    ids.emplace_back(reinterpret_cast<const char*>(c.id), 4);
    offsets.push_back(c.bodyOffset);
    lengths.push_back(c.bodyBytes);
    inFile.push_back(c.BytesIn(static_cast<uint32_t>(b.size())));
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"odd ", "even", "huge"}));
  EXPECT_EQ(offsets, (std::vector<uint32_t>{20, 32, 42}));
  EXPECT_EQ(lengths, (std::vector<uint32_t>{3, 2, 0xFFFFFFF0u}));
  EXPECT_EQ(inFile, (std::vector<uint32_t>{3, 2, 4}));
  // Another form type, or no RIFF at all: no chunks.
  RiffChunkWalk other(b.data(), static_cast<uint32_t>(b.size()), "AVI ");
  EXPECT_FALSE(other.Next(&c));
  RiffChunkWalk tiny(b.data(), 11, "WAVE");
  EXPECT_FALSE(tiny.Next(&c));
}

TEST(RiffChunkWalk, FormatTagOfExtensibleWavesIsTheirSubFormat) {
  // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format is read as PCM; cut
  // short of the sub-format it stays 0xFFFE.
  Bytes b;
  Text(b, "RIFF");
  Le(b, 0, 4);
  Text(b, "WAVEfmt ");
  Le(b, 40, 4);
  Le(b, 0xFFFE, 2);
  Le(b, 2, 2);
  Le(b, 44100, 4);
  Le(b, 44100 * 4, 4);
  Le(b, 4, 2);
  Le(b, 16, 2);
  Le(b, 22, 2);  // extra bytes
  Le(b, 16, 2);  // valid bits
  Le(b, 3, 4);   // channel mask
  Le(b, 1, 2);   // sub-format GUID, first two bytes: PCM
  b.resize(b.size() + 14, 0);
  RiffChunkWalk walk(b.data(), static_cast<uint32_t>(b.size()), "WAVE");
  RiffChunk format;
  ASSERT_TRUE(walk.Next(&format));
  EXPECT_EQ(WaveFormatTag(b.data(), static_cast<uint32_t>(b.size()), format), 1);
  EXPECT_EQ(WaveFormatTag(b.data(), 40, format), 0xFFFE);
  PcmWave w;
  Text(b, "data");
  Le(b, 8, 4);
  b.resize(b.size() + 8, 0);
  EXPECT_TRUE(Find(b, &w));
}
