// What the audio source takes for MPEG audio, what it refuses and the
// reason it gives: a raw stream's first frame confirmed by the next header,
// the signatures of other formats, MPEG audio in WAVE files found by their
// chunks, free-format streams.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>

#include "engine/audio_source.h"
#include "engine/default_tempo_estimator.h"
#include "engine/file_analysis.h"
#include "tests/analysis/test_files.h"

namespace {

const FrameShape kStereo44{};             // MPEG-1 Layer III, 128 kbit/s: 417 bytes
const FrameShape kMono48{1, 5, 1, 0, 3};  // 64 kbit/s, 48000 Hz mono: 192 bytes

struct Read {
  int result = -1;
  std::string error;
  uint32_t blocks = 0;
  uint32_t firstRate = 0;
  uint64_t firstOffset = 0;
  uint64_t lastOffset = 0;
};

Read ReadAll(const std::string& path) {
  AudioSource source;
  Read r;
  r.result = source.Open(path);
  r.error = source.LastError();
  while (const PcmBlock* b = source.NextBlock()) {
    if (r.blocks == 0) {
      r.firstRate = static_cast<uint32_t>(b->info.outSampleRate);
      r.firstOffset = source.LastFrameOffset();
    }
    r.lastOffset = source.LastFrameOffset();
    ++r.blocks;
  }
  return r;
}

void PutLe(Bytes& b, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(Bytes& b, const char* text) {
  b.insert(b.end(), text, text + std::strlen(text));
}

// A RIFF WAVE file as ffmpeg writes MP3 in WAV: an 18-byte format chunk, a
// "LIST" chunk, then the data chunk (of the size given, 0 when unknown),
// and optionally a chunk after the data.
Bytes ListedWave(uint16_t formatTag, const Bytes& data, uint32_t statedDataBytes,
                 const Bytes& trailingChunk) {
  Bytes b;
  PutText(b, "RIFF");
  PutLe(b, 0, 4);
  PutText(b, "WAVEfmt ");
  PutLe(b, 18, 4);
  PutLe(b, formatTag, 2);
  PutLe(b, 2, 2);      // channels
  PutLe(b, 44100, 4);  // sampling rate
  PutLe(b, 16000, 4);  // bytes per second
  PutLe(b, 1, 2);      // block align
  PutLe(b, 0, 2);      // bits per sample
  PutLe(b, 0, 2);      // extra format bytes
  PutText(b, "LIST");
  PutLe(b, 26, 4);
  PutText(b, "INFOISFT");
  PutLe(b, 14, 4);
  PutText(b, "Lavf59.27.100");
  b.push_back(0);
  PutText(b, "data");
  PutLe(b, statedDataBytes, 4);
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() % 2) b.push_back(0);
  if (!trailingChunk.empty()) {
    PutText(b, "id3 ");
    PutLe(b, static_cast<uint32_t>(trailingChunk.size()), 4);
    b.insert(b.end(), trailingChunk.begin(), trailingChunk.end());
  }
  return b;
}

// The stream with every header's bit-rate index set to 0: free format.
Bytes FreeFormat(Bytes stream, uint32_t frameLength) {
  for (size_t at = 0; at + 2 < stream.size(); at += frameLength) stream[at + 2] &= 0x0F;
  return stream;
}

}  // namespace

TEST(StreamRecognition, StrayHeaderBeforeTheStreamIsPassedOver) {
  // A 48 kHz mono Layer III header in the junk before the stream would
  // decode, but nothing follows its frame: the stream starts at 700, and is
  // decoded at its own rate and layer.
  Bytes junk(700, 0x5A);
  const Bytes stray = SilentLayer3Frame(kMono48);
  std::copy(stray.begin(), stray.begin() + 40, junk.begin() + 100);
  const Read r = ReadAll(WriteTempFile("stray.mp3", Concat({junk, SilentStream(kStereo44, 10)})));
  ASSERT_EQ(r.result, AudioSource::kOpened) << r.error;
  EXPECT_EQ(r.firstOffset, 700u);
  EXPECT_EQ(r.firstRate, 44100u);
  EXPECT_EQ(r.blocks, 10u);
}

TEST(StreamRecognition, FirstFrameCountsWhenTheNextHeaderMatchesOrTheFileEnds) {
  FrameShape mpeg2 = kStereo44;
  mpeg2.version = 2;
  mpeg2.bitrateIndex = 10;  // 96 kbit/s at 22050 Hz
  Bytes id3v1(128, 0x20);
  std::memcpy(id3v1.data(), "TAG", 3);
  const Bytes one = SilentLayer3Frame(kStereo44);
  struct Case {
    const char* name;
    Bytes bytes;
    uint32_t blocks;
    uint64_t firstOffset;
  } cases[] = {
      {"alone.mp3", one, 1, 0},
      {"alone_id3v1.mp3", Concat({one, id3v1}), 1, 0},
      // The file ends inside the next header, which matches as far as it goes.
      {"next_cut.mp3", Concat({one, Bytes{0xFF, 0xFB}}), 1, 0},
      // Another sampling rate, or another version, after the first frame:
      // the stream begins with the frames that follow one another.
      {"rate_change.mp3", Concat({one, SilentStream(kMono48, 5)}), 5, one.size()},
      {"version_change.mp3", Concat({one, SilentStream(mpeg2, 5)}), 5, one.size()},
  };
  for (const Case& c : cases) {
    const Read r = ReadAll(WriteTempFile(c.name, c.bytes));
    ASSERT_EQ(r.result, AudioSource::kOpened) << c.name << ": " << r.error;
    EXPECT_EQ(r.blocks, c.blocks) << c.name;
    EXPECT_EQ(r.firstOffset, c.firstOffset) << c.name;
  }
}

TEST(StreamRecognition, OtherFormatsFailAtOnceWithTheirName) {
  // Each signature is followed by a whole MPEG stream, which would decode:
  // the signature alone decides.
  Bytes ftyp = {0, 0, 0, 0x20};
  PutText(ftyp, "ftypM4A ");
  Bytes aiff, aifc;
  PutText(aiff,
          "FORM\x01\x02\x03\x04"
          "AIFFCOMM");
  PutText(aifc,
          "FORM\x01\x02\x03\x04"
          "AIFCFVER");
  const Bytes ebml = {0x1A, 0x45, 0xDF, 0xA3, 0x9F, 0x42, 0x86, 0x81};
  const Bytes asf = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                     0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  // Three ADTS frames of 40 bytes (AAC): 12 sync bits, layer bits 00.
  Bytes adts;
  for (int i = 0; i < 3; ++i) {
    const Bytes frame = {0xFF, 0xF1, 0x50, 0x80, 0x05, 0x1F, 0xFC};
    adts.insert(adts.end(), frame.begin(), frame.end());
    adts.resize(adts.size() + 33, 0x21);
  }
  struct Case {
    Bytes start;
    const char* name;
  } cases[] = {
      {{'f', 'L', 'a', 'C', 0, 0, 0, 0x22}, "FLAC"},
      {{'O', 'g', 'g', 'S', 0, 2}, "Ogg"},
      {aiff, "AIFF"},
      {aifc, "AIFF-C"},
      {{'R', 'F', '6', '4', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E'}, "RF64"},
      {ftyp, "MP4"},
      {ebml, "Matroska/WebM"},
      {asf, "ASF/WMA"},
      {adts, "AAC (ADTS)"},
      {{'M', 'A', 'C', ' '}, "Monkey's Audio"},
      {{'w', 'v', 'p', 'k'}, "WavPack"},
  };
  const Bytes stream = SilentStream(kStereo44, 100);
  int n = 0;
  for (const Case& c : cases) {
    const std::string expected = std::string("not MPEG audio (") + c.name + ")";
    const std::string path =
        WriteTempFile("other" + std::to_string(n++), Concat({c.start, stream}));
    const Read r = ReadAll(path);
    EXPECT_EQ(r.result, AudioSource::kCannotOpen) << c.name;
    EXPECT_EQ(r.error, expected);
    // The whole analysis says the same, never that the file broke off.
    DefaultTempoEstimator detector;
    const FileAnalysis a = AnalyseFile(path, AudioFormats::kMpegAndWave, detector, nullptr);
    EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened) << c.name;
    EXPECT_EQ(a.error, expected);
  }
  // Behind an ID3v2 tag, as some taggers write FLAC files.
  const Read tagged = ReadAll(WriteTempFile(
      "tagged.flac", Concat({Id3v2Tag(300, 0), Bytes{'f', 'L', 'a', 'C', 0, 0, 0, 0x22}, stream})));
  EXPECT_EQ(tagged.result, AudioSource::kCannotOpen);
  EXPECT_EQ(tagged.error, "not MPEG audio (FLAC)");
}

TEST(StreamRecognition, ApeTagBeforeTheStreamIsSkippedWhole) {
  // An APEv2 tag with its header in front of the audio; a header hidden in
  // its items must not start the stream.
  Bytes ape;
  PutText(ape, "APETAGEX");
  PutLe(ape, 2000, 4);
  PutLe(ape, 532, 4);  // items and footer
  PutLe(ape, 1, 4);
  PutLe(ape, 0xA0000000u, 4);  // has a header, this is the header
  ape.resize(32 + 532, 0x33);
  const Bytes hidden = SilentStream(kMono48, 2);
  std::copy(hidden.begin(), hidden.begin() + 250, ape.begin() + 100);
  const Read r = ReadAll(WriteTempFile("ape.mp3", Concat({ape, SilentStream(kStereo44, 10)})));
  ASSERT_EQ(r.result, AudioSource::kOpened) << r.error;
  EXPECT_EQ(r.firstOffset, ape.size());
  EXPECT_EQ(r.blocks, 10u);
}

TEST(StreamRecognition, MpegWaveWithAListChunkIsFoundByItsChunks) {
  const Bytes frames = SilentStream(kStereo44, 12);
  const auto n = static_cast<uint32_t>(frames.size());
  // A whole frame in a chunk after the data: not part of the audio.
  const Bytes after = SilentStream(kMono48, 2);
  const Read listed = ReadAll(WriteTempFile("listed.wav", ListedWave(0x55, frames, n, after)));
  ASSERT_EQ(listed.result, AudioSource::kOpened) << listed.error;
  EXPECT_EQ(listed.firstOffset, 80u);  // 12 + 26 (format) + 34 (LIST) + 8 (data header)
  EXPECT_EQ(listed.blocks, 12u);
  // A data size never filled in: the data runs to the end of the file.
  const Read unsized = ReadAll(WriteTempFile("unsized.wav", ListedWave(0x55, frames, 0, Bytes())));
  ASSERT_EQ(unsized.result, AudioSource::kOpened) << unsized.error;
  EXPECT_EQ(unsized.blocks, 12u);
  // Layer II's format tag.
  EXPECT_EQ(ReadAll(WriteTempFile("listed50.wav", ListedWave(0x50, frames, n, Bytes()))).blocks,
            12u);

  // Other encodings and other RIFF types say what they are.
  struct Case {
    Bytes bytes;
    const char* error;
  } refused[] = {
      {ListedWave(1, Bytes(4000, 0x11), 4000, Bytes()), "not MPEG audio (WAVE PCM)"},
      {ListedWave(3, Bytes(4000, 0x11), 4000, Bytes()), "not MPEG audio (WAVE floating-point PCM)"},
      {ListedWave(0x161, frames, n, Bytes()), "not MPEG audio (WAVE format 0x0161)"},
      {ListedWave(0x55, Bytes(4000, 0x11), 4000, Bytes()),
       "no MPEG audio frame where the RIFF data begins"},
  };
  int i = 0;
  for (const Case& c : refused) {
    const Read r = ReadAll(WriteTempFile("refused" + std::to_string(i++) + ".wav", c.bytes));
    EXPECT_EQ(r.result, AudioSource::kCannotOpen) << c.error;
    EXPECT_EQ(r.error, c.error);
  }
  Bytes avi(4000, 0);
  std::memcpy(avi.data(), "RIFF\0\0\0\0AVI LIST", 16);
  EXPECT_EQ(ReadAll(WriteTempFile("video.wav", avi)).error, "not MPEG audio (AVI)");
}

TEST(StreamRecognition, FreeFormatStreamsFailWithTheirReason) {
  const uint32_t length = Layer3FrameLength(kStereo44);
  const Bytes free = FreeFormat(SilentStream(kStereo44, 60), length);
  for (const Bytes& bytes : {free, Concat({Id3v2Tag(500, 0), free})}) {
    const std::string path = WriteTempFile("free.mp3", bytes);
    const Read r = ReadAll(path);
    EXPECT_EQ(r.result, AudioSource::kCannotOpen);
    EXPECT_EQ(r.error, "free-format MPEG audio is not supported");
    DefaultTempoEstimator detector;
    EXPECT_EQ(AnalyseFile(path, AudioFormats::kMpegAndWave, detector, nullptr).error,
              "free-format MPEG audio is not supported");
  }
  // Two frames only: the file ends before a third header would fit.
  EXPECT_EQ(
      ReadAll(WriteTempFile("free2.mp3", FreeFormat(SilentStream(kStereo44, 2), length))).error,
      "free-format MPEG audio is not supported");
}

TEST(StreamRecognition, FreeFormatConformanceStream) {
  // The standard's own free-format stream: its data holds many headers
  // that are not frames.
  const std::string path = std::string(TEMPYRA_ISO_VECTORS) + "/l3-he_free.bit";
  struct stat st;
  if (stat(path.c_str(), &st) != 0)
    GTEST_SKIP() << path << " is absent (the conformance streams lie beside the repository)";
  const Read r = ReadAll(path);
  EXPECT_EQ(r.result, AudioSource::kCannotOpen);
  EXPECT_EQ(r.blocks, 0u);
  EXPECT_EQ(r.error, "free-format MPEG audio is not supported");
}

TEST(StreamRecognition, ReasonsForFilesWithoutAStream) {
  const Bytes frame = SilentLayer3Frame(kStereo44);
  const Bytes header(frame.begin(), frame.begin() + 4);
  EXPECT_EQ(ReadAll(WriteTempFile("header.mp3", header)).error,
            "too short: the file ends inside its first MPEG audio frame");
  EXPECT_EQ(ReadAll(WriteTempFile("text.mp3", Bytes(5000, 'a'))).error,
            "not MPEG audio (no MPEG audio frames found)");
}
