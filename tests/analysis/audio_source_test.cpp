// The audio source's layouts, scan rules and frame counting, on files built
// byte by byte.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstring>

#include "engine/audio_source.h"
#include "tests/analysis/test_files.h"

namespace {

struct Opened {
  int result = -1;
  uint32_t blocks = 0;
  uint32_t firstRate = 0;
  int32_t firstTotal = 0;
  uint32_t lastIndex = 0;
  int32_t lastTotal = 0;
};

Opened ReadAll(const std::string& path) {
  AudioSource source;
  Opened o;
  o.result = source.Open(path);
  while (const PcmBlock* b = source.NextBlock()) {
    if (o.blocks == 0) {
      o.firstRate = static_cast<uint32_t>(b->info.outSampleRate);
      o.firstTotal = b->info.totalFrames;
    }
    EXPECT_EQ(b->blockIndex, o.blocks % 65536);
    o.lastIndex = b->blockIndex;
    o.lastTotal = b->info.totalFrames;
    ++o.blocks;
  }
  EXPECT_EQ(source.NextBlock(), nullptr);
  return o;
}

const FrameShape kStereo44{};             // 128 kbit/s, 417 bytes
const FrameShape kMono48{1, 5, 1, 0, 3};  // 64 kbit/s, 48000 Hz mono

}  // namespace

TEST(AudioSource, RawStreamDecodesEveryFrameAndCountsToTheEnd) {
  Opened o = ReadAll(WriteTempFile("raw.mp3", SilentStream(kStereo44, 50)));
  EXPECT_EQ(o.result, AudioSource::kOpened);
  EXPECT_EQ(o.blocks, 50u);
  EXPECT_EQ(o.firstRate, 44100u);
  // Estimated from the bytes ahead: the index the last frame will have.
  EXPECT_EQ(o.firstTotal, 49);
  EXPECT_EQ(o.lastTotal, static_cast<int32_t>(o.lastIndex));  // nothing left unread
}

TEST(AudioSource, Id3v2TagIsSkippedWhole) {
  // A frame header hidden inside the tag must not be taken for the stream.
  Bytes tag = Id3v2Tag(257, 0x00);
  Bytes hidden = SilentLayer3Frame(kMono48);
  std::copy(hidden.begin(), hidden.begin() + 40, tag.begin() + 20);
  ASSERT_EQ(tag.size(), 267u);
  Opened o = ReadAll(WriteTempFile("id3.mp3", Concat({tag, SilentStream(kStereo44, 10)})));
  EXPECT_EQ(o.blocks, 10u);
  EXPECT_EQ(o.firstRate, 44100u);

  // With the footer flag the tag ends 10 bytes later, at 277; a header
  // placed at 267 lies inside the footer and must be passed over too.
  Bytes footed = Id3v2Tag(257, 0x10);
  ASSERT_EQ(footed.size(), 277u);
  Bytes decoy = SilentLayer3Frame(kMono48);
  std::copy(decoy.begin(), decoy.begin() + 4, footed.begin() + 267);
  o = ReadAll(WriteTempFile("id3f.mp3", Concat({footed, SilentStream(kStereo44, 10)})));
  EXPECT_EQ(o.blocks, 10u);
  EXPECT_EQ(o.firstRate, 44100u);
}

TEST(AudioSource, TrailingId3v1TagIsNotAudio) {
  // The 128-byte tag holds a complete 104-byte frame: it must never decode.
  FrameShape low{1, 1, 0, 0, 1};  // 32 kbit/s: 104 bytes
  Bytes tag(128, 0);
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  Bytes inner = SilentLayer3Frame(low);
  std::copy(inner.begin(), inner.end(), tag.begin() + 4);
  Opened o = ReadAll(WriteTempFile("v1.mp3", Concat({SilentStream(low, 20), tag})));
  EXPECT_EQ(o.blocks, 20u);
}

TEST(AudioSource, HeaderWindowComesFromTheFirstHeader) {
  // MPEG-1 Layer III, 128 kbit/s, 44100 Hz: 128 x 144000 / 44100 = 417. An
  // MPEG-2.5 header reads the MPEG-2 rates (the ID bit alone decides): 8
  // kbit/s at index 2 gives 8 x 144000 / 16000 = 72, not / 8000.
  struct Case {
    FrameShape shape;
    uint16_t window;
  } cases[] = {{kStereo44, 417}, {FrameShape{3, 1, 2, 0, 3}, 72}, {kMono48, 192}};
  for (const Case& c : cases) {
    AudioSource source;
    ASSERT_EQ(source.Open(WriteTempFile("window.mp3", SilentStream(c.shape, 5))),
              AudioSource::kOpened);
    EXPECT_EQ(source.HeaderWindow(), c.window);
  }
}

TEST(AudioSource, LowBitRateStreamsOpen) {
  // Header windows below 156 bytes: 32 kbit/s at 44100 Hz (104-byte frames)
  // and MPEG-2.5 8 kbit/s at 8000 Hz (72-byte frames).
  Opened o = ReadAll(WriteTempFile("low.mp3", SilentStream(FrameShape{1, 1, 0, 0, 1}, 30)));
  EXPECT_EQ(o.result, AudioSource::kOpened);
  EXPECT_EQ(o.blocks, 30u);
  o = ReadAll(WriteTempFile("low25.mp3", SilentStream(FrameShape{3, 1, 2, 0, 3}, 30)));
  EXPECT_EQ(o.result, AudioSource::kOpened);
  EXPECT_EQ(o.blocks, 30u);
  EXPECT_EQ(o.firstRate, 8000u);
}

TEST(AudioSource, RiffLayoutsStartAtTheirFixedOffsets) {
  Bytes frames = SilentStream(kStereo44, 12);
  const uint32_t n = static_cast<uint32_t>(frames.size());
  struct Case {
    const char* name;
    Bytes header;
    size_t start;
  } cases[] = {{"w30f.wav", WaveHeader(30, true, n, 0x55), 70},
               {"w32f.wav", WaveHeader(32, true, n, 0x55), 72},
               {"w30.wav", WaveHeader(30, false, n, 0x55), 58},
               {"r.rmp", Rmp3Header(n), 20}};
  for (const Case& c : cases) {
    ASSERT_EQ(c.header.size(), c.start) << c.name;
    Opened o = ReadAll(WriteTempFile(c.name, Concat({c.header, frames})));
    EXPECT_EQ(o.result, AudioSource::kOpened) << c.name;
    EXPECT_EQ(o.blocks, 12u) << c.name;
  }
}

TEST(AudioSource, RefusesWhatItCannotDecode) {
  // PCM in a WAVE file, another RIFF type, a wrapped stream that does not
  // begin with a frame, a raw file without any frame, an empty file, a
  // missing file and a folder.
  Bytes pcm(20000, 0x11);
  Bytes riffOther(4000, 0);
  std::memcpy(riffOther.data(), "RIFF\0\0\0\0AVI LIST", 16);
  const std::string folder = TempPath("folder.mp3");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  const std::string paths[] = {
      WriteTempFile("pcm.wav", Concat({WaveHeader(16, false, 20000, 1), pcm})),
      WriteTempFile("avi.wav", riffOther),
      WriteTempFile("junk.wav", Concat({WaveHeader(30, true, 20000, 0x55), pcm})),
      WriteTempFile("noframe.mp3", Bytes(50000, 0xAB)),
      WriteTempFile("empty.mp3", Bytes()),
      TempPath("missing.mp3"),
      folder};
  for (const std::string& path : paths) {
    AudioSource source;
    EXPECT_EQ(source.Open(path), AudioSource::kCannotOpen) << path;
    EXPECT_FALSE(source.LastError().empty());
    EXPECT_EQ(source.NextBlock(), nullptr);
  }
}

TEST(AudioSource, TagFrameIsDecodedOnlyWithItsPaddingBit) {
  FrameShape padded = kStereo44;
  padded.padding = 1;
  Bytes rest = SilentStream(kStereo44, 20);
  // Padded: the tag frame decodes and carries the tag's frame count.
  Opened o = ReadAll(WriteTempFile("xp.mp3", Concat({XingFrame(padded, 777, 9999), rest})));
  EXPECT_EQ(o.blocks, 21u);
  EXPECT_EQ(o.firstTotal, 777);
  // Unpadded: offered only the shortest frame length, the tag frame is
  // refused and the first block is the frame after it.
  o = ReadAll(WriteTempFile("xu.mp3", Concat({XingFrame(kStereo44, 777, 9999), rest})));
  EXPECT_EQ(o.blocks, 20u);
  EXPECT_EQ(o.firstTotal, 19);
}

TEST(AudioSource, DamagedBytesAreSkippedOneAtATime) {
  Bytes a = SilentStream(kStereo44, 10), b = SilentStream(kStereo44, 10);
  Bytes junk(333, 0x00);
  Opened o = ReadAll(WriteTempFile("gap.mp3", Concat({a, junk, b})));
  EXPECT_EQ(o.blocks, 20u);
}

TEST(AudioSource, BlockIndexIsSixteenBitsWide) {
  // MPEG-2.5 8 kbit/s 8000 Hz frames are the shortest: 72 bytes.
  const FrameShape tiny{3, 1, 2, 0, 3};
  Opened o = ReadAll(WriteTempFile("long.mp3", SilentStream(tiny, 65538)));
  EXPECT_EQ(o.blocks, 65538u);
  EXPECT_EQ(o.lastIndex, 1u);  // the 65537th block had index 0
}

TEST(AudioSource, FileShrinkingUnderTheMappingEndsTheBlocks) {
  std::string path = WriteTempFile("shrink.mp3", SilentStream(kStereo44, 2000));
  AudioSource source;
  ASSERT_EQ(source.Open(path), AudioSource::kOpened);
  ASSERT_NE(source.NextBlock(), nullptr);
  ASSERT_EQ(truncate(path.c_str(), 4096), 0);
  uint32_t more = 0;
  while (source.NextBlock() != nullptr) ++more;
  EXPECT_LT(more, 20u);
  EXPECT_EQ(source.NextBlock(), nullptr);
  EXPECT_EQ(source.Close(), 0);
}
