// Damaged real encoder output through the audio source and the analysis:
// truncations, bit flips, inserted byte runs, spliced frames of other layers
// and rates, broken tags, tiny and odd files, a file that shrinks while it is
// analysed. Every case checks the outcome the source's rules give (which
// frames decode, which bytes are skipped, which files fail) and that the work
// stays bounded: decodeFrame calls and header checks are counted, never timed.
//
// The intact files are made by make_inputs.sh with lame, twolame and ffmpeg
// into the folder named by TEMPYRA_DAMAGED_INPUTS.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "engine/analysis_job.h"
#include "engine/audio_source.h"
#include "engine/default_tempo_estimator.h"
#include "engine/file_analysis.h"
#include "tests/analysis/test_files.h"

namespace {

// One decoded block: where its frame lay and what it gave.
struct BlockRecord {
  uint64_t offset = 0;  // of the frame in the file
  uint64_t end = 0;     // offset + the frame's length
  int32_t sampleRate = 0;
  uint64_t pcmHash = 0;
  bool operator==(const BlockRecord&) const = default;
};

struct Decoded {
  int openResult = -1;
  std::vector<BlockRecord> blocks;
  AudioSource::WorkCounts work;
};

uint64_t Hash(const uint8_t* p, uint32_t n) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

Decoded DecodeFile(const std::string& path) {
  Decoded d;
  AudioSource source;
  d.openResult = source.Open(path);
  while (const PcmBlock* b = source.NextBlock()) {
    BlockRecord r;
    r.offset = source.LastFrameOffset();
    const mpeg::StreamInfo& i = b->info;
    r.end = r.offset + static_cast<uint64_t>(i.tagFrameLength != 0 ? i.tagFrameLength
                                             : i.padding           ? i.maxFrameLength
                                                                   : i.minFrameLength);
    r.sampleRate = i.outSampleRate;
    r.pcmHash = Hash(b->pcm, b->pcmBytes);
    d.blocks.push_back(r);
  }
  d.work = source.Work();
  return d;
}

Decoded DecodeBytes(const std::string& name, const Bytes& bytes) {
  return DecodeFile(WriteTempFile(name, bytes));
}

std::string InputFolder() {
  const char* folder = std::getenv("TEMPYRA_DAMAGED_INPUTS");
  return folder != nullptr ? folder : "";
}

// An intact input file: its bytes and how it decodes.
struct Input {
  Bytes bytes;
  Decoded intact;
  bool ok = false;
};

Input LoadInput(const std::string& name) {
  Input input;
  std::ifstream f(InputFolder() + "/" + name, std::ios::binary);
  if (!f) return input;
  input.bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  input.intact = DecodeBytes("intact_" + name, input.bytes);
  input.ok = input.intact.openResult == AudioSource::kOpened && input.intact.blocks.size() > 100;
  return input;
}

#define LOAD_OR_SKIP(var, name)                                                   \
  Input var = LoadInput(name);                                                    \
  if (InputFolder().empty()) GTEST_SKIP() << "TEMPYRA_DAMAGED_INPUTS is not set"; \
  ASSERT_TRUE(var.ok) << name << " is missing or does not decode in " << InputFolder()

// The work of one damaged file against the frames of the intact one: no
// input frame may cost more than a few frame decodes, no byte more than a
// couple of header checks.
struct WorstWork {
  double decodesPerFrame = 0;
  double headerChecksPerByte = 0;
  std::string decodesCase, headerCase;
};
WorstWork gWorst;

void ExpectBoundedWork(const Decoded& damaged, size_t intactFrames, size_t bytes,
                       const std::string& what) {
  EXPECT_LE(damaged.work.frameDecodes, 2 * intactFrames + 8) << what;
  EXPECT_LE(damaged.work.headerReads, 2 * bytes + 2 * intactFrames + 8) << what;
  const double perFrame =
      static_cast<double>(damaged.work.frameDecodes) / static_cast<double>(intactFrames);
  const double perByte = static_cast<double>(damaged.work.headerReads) / static_cast<double>(bytes);
  if (perFrame > gWorst.decodesPerFrame)
    gWorst.decodesPerFrame = perFrame, gWorst.decodesCase = what;
  if (perByte > gWorst.headerChecksPerByte)
    gWorst.headerChecksPerByte = perByte, gWorst.headerCase = what;
}

// Prints the worst work seen when the tests of this process end.
class WorkReport : public testing::Environment {
 public:
  void TearDown() override {
    if (gWorst.decodesCase.empty()) return;
    std::printf(
        "worst work: %.3f frame decodes per intact frame (%s), %.3f header checks per byte (%s)\n",
        gWorst.decodesPerFrame, gWorst.decodesCase.c_str(), gWorst.headerChecksPerByte,
        gWorst.headerCase.c_str());
  }
};
const testing::Environment* const kWorkReport = testing::AddGlobalTestEnvironment(new WorkReport);

// Blocks that decoded the same frames the same way.
size_t CommonPrefix(const Decoded& a, const Decoded& b) {
  size_t n = 0;
  while (n < a.blocks.size() && n < b.blocks.size() && a.blocks[n] == b.blocks[n]) ++n;
  return n;
}

Bytes Slice(const Bytes& b, size_t from, size_t to) {
  return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(to));
}

}  // namespace

TEST(DamagedSource, TruncatedAnywhereKeepsEveryWholeFrameBeforeTheCut) {
  LOAD_OR_SKIP(in, "l3_44k_tagged.mp3");
  const auto& frames = in.intact.blocks;
  const size_t size = in.bytes.size();
  const size_t audioStart = frames.front().offset;  // after lame's ID3v2 tag
  ASSERT_GT(audioStart, 300u);
  std::vector<size_t> cuts = {
      1, 3, 6, 9, 10, audioStart / 2, audioStart, audioStart + 2, size - 127, size - 64, size - 1};
  for (size_t k : {size_t{0}, size_t{1}, size_t{10}, frames.size() / 2, frames.size() - 1}) {
    cuts.push_back(frames[k].offset + 1);  // mid-header
    cuts.push_back(frames[k].offset + 3);
    cuts.push_back((frames[k].offset + frames[k].end) / 2);  // mid-frame
    cuts.push_back(frames[k].end);                           // on a boundary
  }
  for (size_t at = 1499; at < size; at += 1499) cuts.push_back(at);
  size_t falseFrames = 0;
  for (size_t cut : cuts) {
    const Decoded d = DecodeBytes("cut.mp3", Slice(in.bytes, 0, cut));
    const std::string what = "cut at " + std::to_string(cut);
    size_t whole = 0;
    while (whole < frames.size() && frames[whole].end <= cut) ++whole;
    if (whole == 0) {
      // Nothing decodable: a cut in the tag or in the first frame.
      EXPECT_TRUE(d.openResult == AudioSource::kCannotOpen || d.blocks.empty()) << what;
      continue;
    }
    ASSERT_EQ(d.openResult, AudioSource::kOpened) << what;
    // The frames before the cut decode exactly as in the whole file; the
    // bytes of the cut frame may hold stray headers whose frames fit in them.
    EXPECT_EQ(CommonPrefix(d, in.intact), whole) << what;
    ASSERT_GE(d.blocks.size(), whole) << what;
    for (size_t i = whole; i < d.blocks.size(); ++i) {
      EXPECT_GE(d.blocks[i].offset, frames[whole - 1].end) << what;
      EXPECT_LE(d.blocks[i].end, cut) << what;
    }
    falseFrames += d.blocks.size() - whole;
    ExpectBoundedWork(d, frames.size(), cut, what);
  }
  std::printf("%zu cuts, %zu stray frames decoded from cut frames\n", cuts.size(), falseFrames);
}

TEST(DamagedSource, BitFlipsCostAtMostTheFramesTheyHit) {
  for (const char* name : {"l3_44k.mp3", "l2_48k.mp2", "l3_22k_mono.mp3"}) {
    LOAD_OR_SKIP(in, name);
    const size_t frames = in.intact.blocks.size();
    std::mt19937 random(12345);
    for (int flips : {1, 1, 1, 1, 1, 1, 1, 1, 10, 10, 100, 1000}) {
      Bytes damaged = in.bytes;
      size_t first = damaged.size();
      for (int i = 0; i < flips; ++i) {
        const size_t at = random() % damaged.size();
        damaged[at] ^= static_cast<uint8_t>(1u << (random() % 8));
        first = std::min(first, at);
      }
      const std::string what = std::string(name) + ", " + std::to_string(flips) + " flips";
      const Decoded d = DecodeBytes("flipped.mp3", damaged);
      // Unless the first frame itself was hit, the frames before the first
      // flip decode as in the intact file.
      if (first >= in.intact.blocks.front().end) {
        ASSERT_EQ(d.openResult, AudioSource::kOpened) << what;
        size_t untouched = 0;  // frames that end before the first flip
        while (untouched < frames && in.intact.blocks[untouched].end <= first) ++untouched;
        EXPECT_GE(CommonPrefix(d, in.intact), untouched) << what;
      }
      // A flipped header loses its frame (and may misplace the next one); a
      // stray header found while skipping adds one.
      const long difference = static_cast<long>(d.blocks.size()) - static_cast<long>(frames);
      EXPECT_LE(std::abs(difference), 2L * flips) << what;
      ExpectBoundedWork(d, frames, damaged.size(), what);
    }
  }
}

TEST(DamagedSource, RunsOfZerosOrOnesBetweenFramesAreSkippedByteForByte) {
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  const auto& frames = in.intact.blocks;
  const size_t k = frames.size() / 3;
  const size_t at = frames[k].offset;
  for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
    for (size_t length : {size_t{1}, size_t{3}, size_t{417}, size_t{5000}, size_t{100000}}) {
      Bytes damaged = in.bytes;
      damaged.insert(damaged.begin() + static_cast<long>(at), length, fill);
      const std::string what = "run of " + std::to_string(length) + " x " + std::to_string(fill);
      const Decoded d = DecodeBytes("run.mp3", damaged);
      ASSERT_EQ(d.blocks.size(), frames.size()) << what;
      // Every frame decodes as in the intact file, those after the run
      // moved by its length; exactly the run was passed over.
      for (size_t i = 0; i < frames.size(); ++i) {
        BlockRecord expected = frames[i];
        if (i >= k) {
          expected.offset += length;
          expected.end += length;
        }
        ASSERT_EQ(d.blocks[i], expected) << what << ", block " << i;
      }
      EXPECT_EQ(d.work.bytesSkipped, in.intact.work.bytesSkipped + length) << what;
      ExpectBoundedWork(d, frames.size(), damaged.size(), what);
    }
  }
}

TEST(DamagedSource, RunsInsideAFrameCostThatFrameAtMost) {
  for (const char* name : {"l3_44k_vbr.mp3", "l2_32k.mp2"}) {
    LOAD_OR_SKIP(in, name);
    const auto& frames = in.intact.blocks;
    for (size_t k : {size_t{5}, frames.size() / 2}) {
      for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}}) {
        for (size_t length : {size_t{2}, size_t{300}, size_t{20000}}) {
          Bytes damaged = in.bytes;
          const size_t at = frames[k].offset + 2;  // inside the header
          damaged.insert(damaged.begin() + static_cast<long>(at), length, fill);
          const std::string what = std::string(name) + " frame " + std::to_string(k) + ", run of " +
                                   std::to_string(length) + " x " + std::to_string(fill);
          const Decoded d = DecodeBytes("midrun.mp3", damaged);
          EXPECT_EQ(CommonPrefix(d, in.intact), k) << what;
          // The broken frame is lost; a stray header may stand in for it.
          EXPECT_GE(d.blocks.size() + 1, frames.size()) << what;
          EXPECT_LE(d.blocks.size(), frames.size() + 1) << what;
          ExpectBoundedWork(d, frames.size(), damaged.size(), what);
        }
      }
    }
  }
}

TEST(DamagedSource, SplicedLayersAndRatesAllDecodeInTheirPlaces) {
  // Frames of other layers and rates are decoded where they stand (with the
  // first frame's layer routine): every frame of every piece gives a block,
  // at its own sampling rate, in order.
  std::vector<std::string> names = {"l3_44k.mp3", "l2_48k.mp2", "l3_22k_mono.mp3",
                                    "l3_48k.mp3", "l2_32k.mp2", "l3_8k_mono.mp3"};
  {
    std::ifstream layer1(InputFolder() + "/l1_44k.mp1");
    if (layer1) names.push_back("l1_44k.mp1");
  }
  std::vector<Input> pieces;
  for (const std::string& name : names) {
    LOAD_OR_SKIP(piece, name);
    pieces.push_back(std::move(piece));
  }
  for (bool reversed : {false, true}) {
    if (reversed) std::reverse(pieces.begin(), pieces.end());
    Bytes spliced;
    std::vector<int32_t> rates;
    size_t frames = 0;
    for (const Input& p : pieces) {
      spliced.insert(spliced.end(), p.bytes.begin(), p.bytes.end());
      for (const BlockRecord& b : p.intact.blocks) rates.push_back(b.sampleRate);
      frames += p.intact.blocks.size();
    }
    const Decoded d = DecodeBytes("spliced.mp3", spliced);
    ASSERT_EQ(d.blocks.size(), frames) << (reversed ? "reversed" : "in order");
    for (size_t i = 0; i < frames; ++i)
      ASSERT_EQ(d.blocks[i].sampleRate, rates[i]) << "block " << i;
    // The first piece decodes exactly as on its own.
    EXPECT_EQ(CommonPrefix(d, pieces.front().intact), pieces.front().intact.blocks.size());
    ExpectBoundedWork(d, frames, spliced.size(), "spliced");
  }
}

TEST(DamagedSource, SingleForeignFramesBetweenFramesEachGiveOneBlock) {
  LOAD_OR_SKIP(host, "l3_44k.mp3");
  LOAD_OR_SKIP(guest, "l2_48k.mp2");
  const BlockRecord& g = guest.intact.blocks[20];
  const Bytes foreign = Slice(guest.bytes, g.offset, g.end);
  Bytes damaged;
  size_t inserted = 0;
  size_t from = 0;
  for (size_t i = 25; i < host.intact.blocks.size(); i += 25) {
    const size_t at = host.intact.blocks[i].offset;
    damaged.insert(damaged.end(), host.bytes.begin() + static_cast<long>(from),
                   host.bytes.begin() + static_cast<long>(at));
    damaged.insert(damaged.end(), foreign.begin(), foreign.end());
    from = at;
    ++inserted;
  }
  damaged.insert(damaged.end(), host.bytes.begin() + static_cast<long>(from), host.bytes.end());
  const Decoded d = DecodeBytes("foreign.mp3", damaged);
  ASSERT_EQ(d.blocks.size(), host.intact.blocks.size() + inserted);
  size_t at48k = 0;
  for (const BlockRecord& b : d.blocks) at48k += b.sampleRate == 48000;
  EXPECT_EQ(at48k, inserted);
  EXPECT_EQ(d.work.bytesSkipped, 0u);
  EXPECT_EQ(CommonPrefix(d, host.intact), 25u);
}

TEST(DamagedSource, BrokenId3v2Sizes) {
  LOAD_OR_SKIP(in, "l3_44k_tagged.mp3");
  ASSERT_EQ(std::memcmp(in.bytes.data(), "ID3", 3), 0);
  // A size that points past the end hides the whole stream: nothing opens,
  // and not one header is checked.
  Bytes past = in.bytes;
  std::memset(past.data() + 6, 0x7F, 4);
  const Decoded hidden = DecodeBytes("id3past.mp3", past);
  EXPECT_EQ(hidden.openResult, AudioSource::kCannotOpen);
  EXPECT_EQ(hidden.work.headerReads, 0u);
  DefaultTempoEstimator detector;
  EXPECT_EQ(AnalyseFile(WriteTempFile("id3past2.mp3", past), AudioFormats::kMpegAndWave, detector,
                        nullptr)
                .status,
            FileAnalysis::Status::kNotOpened);

  // A size too small ends the tag inside its own body: the scan goes on
  // through the tag's text and padding to the stream. Here it meets a UTF-16
  // byte order mark followed by "D" (FF FE 44), which reads as a Layer I
  // header; no header follows its frame, so it does not start the stream,
  // and the file decodes exactly as with its tag intact (it would all be
  // decoded as Layer I otherwise).
  Bytes shortTag = in.bytes;
  shortTag[6] = shortTag[7] = 0;
  shortTag[8] = 0;
  shortTag[9] = 20;
  const Decoded d = DecodeBytes("id3short.mp3", shortTag);
  EXPECT_EQ(d.blocks, in.intact.blocks);
}

TEST(DamagedSource, TagSizeWithoutSevenBitEncodingBeforeAPicture) {
  // Old taggers wrote the tag size as a plain 32-bit number: read as seven
  // bits a byte it ends the tag early, inside a picture whose compressed
  // bytes hold headers that decode. A picture frame of 20,000 random bytes
  // with a Layer II header planted in it is put into the tag; the stream
  // must still begin at the first real frame and decode as without the tag.
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  std::mt19937 random(2024);
  Bytes picture(20000);
  for (uint8_t& b : picture) b = static_cast<uint8_t>(random());
  const Bytes layer2 = {0xFF, 0xFD, 0x94, 0x04};  // MPEG-1 Layer II, 128 kbit/s, 48000 Hz
  for (size_t at = 1000; at < picture.size(); at += 3001)
    std::copy(layer2.begin(), layer2.end(), picture.begin() + static_cast<long>(at));
  Bytes frame = {'A', 'P', 'I', 'C', 0, 0, 0, 0, 0, 0};
  const auto frameSize = static_cast<uint32_t>(picture.size());
  for (int i = 0; i < 4; ++i) frame[4 + i] = static_cast<uint8_t>(frameSize >> (24 - 8 * i));
  frame.insert(frame.end(), picture.begin(), picture.end());
  const auto tagSize = static_cast<uint32_t>(frame.size());
  Bytes tag = {'I', 'D', '3', 3, 0, 0};
  for (int i = 0; i < 4; ++i) tag.push_back(static_cast<uint8_t>(tagSize >> (24 - 8 * i)));
  ASSERT_LT(tag[8], 0x80);  // read as seven bits a byte: 0x4E2A -> 10,026 bytes, not 20,010
  tag.insert(tag.end(), frame.begin(), frame.end());
  const Decoded d = DecodeBytes("id3plain.mp3", Concat({tag, in.bytes}));
  ASSERT_EQ(d.openResult, AudioSource::kOpened);
  ASSERT_EQ(d.blocks.size(), in.intact.blocks.size());
  for (size_t i = 0; i < d.blocks.size(); ++i) {
    BlockRecord expected = in.intact.blocks[i];
    expected.offset += tag.size();
    expected.end += tag.size();
    ASSERT_EQ(d.blocks[i], expected) << "block " << i;
  }
}

TEST(DamagedSource, TinyEmptyAndOddFilesFailCleanly) {
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  const std::string folder = TempPath("x.mp3");
  mkdir(folder.c_str(), 0755);
  const Bytes header = Slice(in.bytes, in.intact.blocks[1].offset, in.intact.blocks[1].offset + 4);
  struct Case {
    std::string path;
    FileAnalysis::Status status;
  } cases[] = {
      {WriteTempFile("empty.mp3", Bytes()), FileAnalysis::Status::kNotOpened},
      {WriteTempFile("one.mp3", Bytes{0xFF}), FileAnalysis::Status::kNotOpened},
      {WriteTempFile("two.mp3", Bytes{0xFF, 0xFB}), FileAnalysis::Status::kNotOpened},
      {WriteTempFile("header.mp3", header), FileAnalysis::Status::kNotOpened},
      {WriteTempFile("text.mp3", Bytes(5000, 'a')), FileAnalysis::Status::kNotOpened},
      {folder, FileAnalysis::Status::kNotOpened},
      {TempPath("nothing_here.mp3"), FileAnalysis::Status::kNotOpened},
  };
  for (const Case& c : cases) {
    DefaultTempoEstimator detector;
    FileAnalysis a = AnalyseFile(c.path, AudioFormats::kMpegAndWave, detector, nullptr);
    EXPECT_EQ(static_cast<int>(a.status), static_cast<int>(c.status)) << c.path;
    EXPECT_EQ(a.sampleFrames, 0u) << c.path;
    if (c.status == FileAnalysis::Status::kNotOpened) {
      EXPECT_FALSE(a.error.empty()) << c.path;
    }
  }
}

TEST(DamagedSource, UnreadableFileFailsToOpen) {
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  const std::string path = WriteTempFile("unreadable.mp3", in.bytes);
  ASSERT_EQ(chmod(path.c_str(), 0), 0);
  auto check = [&]() -> bool {
    AudioSource source;
    return source.Open(path) == AudioSource::kCannotOpen &&
           source.LastError().find("Permission denied") != std::string::npos;
  };
  if (geteuid() != 0) {
    EXPECT_TRUE(check());
    return;
  }
  // Root reads any file whatever its mode: try as an unprivileged user in a
  // child process instead.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
    _exit(check() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "running as root and cannot become another user";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "an unreadable file opened, or failed for another reason";
}

TEST(DamagedSource, ZeroFilledTailFailsTheCompletenessRule) {
  // A download that stopped but kept its size: the tail is zeros. Under 5 %
  // of the estimated frames left unread still counts as read to the end.
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  const size_t size = in.bytes.size();
  for (size_t percent : {size_t{3}, size_t{30}}) {
    Bytes damaged = in.bytes;
    std::fill(damaged.end() - static_cast<long>(size * percent / 100), damaged.end(), 0);
    DefaultTempoEstimator detector;
    FileAnalysis a = AnalyseFile(WriteTempFile("zerotail.mp3", damaged), AudioFormats::kMpegAndWave,
                                 detector, nullptr);
    EXPECT_EQ(static_cast<int>(a.status),
              static_cast<int>(percent < 5 ? FileAnalysis::Status::kComplete
                                           : FileAnalysis::Status::kIncomplete))
        << percent << " % zeros";
  }
}

TEST(DamagedSource, RandomBytesCostOneHeaderCheckPerByte) {
  std::mt19937 random(99);
  Bytes noise(4 << 20);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  // Alone, the noise holds no stream: no header it holds is followed by
  // another at its frame's length, and nothing is decoded.
  const Decoded alone = DecodeBytes("noise.mp3", noise);
  EXPECT_EQ(alone.openResult, AudioSource::kCannotOpen);
  EXPECT_EQ(alone.work.frameDecodes, 0u);
  EXPECT_LE(alone.work.headerReads, noise.size() / 1000);  // only where a sync pattern stands
  // Behind a real start, the stray headers in it are decoded as frames;
  // everything else is skipped one byte at a time with one header check
  // each. The analysis calls it what it is.
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  const Bytes start = Slice(in.bytes, 0, in.intact.blocks[2].offset);
  const Decoded d = DecodeBytes("noise_behind.mp3", Concat({start, noise}));
  ASSERT_EQ(d.openResult, AudioSource::kOpened);
  ASSERT_GE(d.work.frameDecodes, d.blocks.size());
  EXPECT_LE(d.work.frameDecodes - d.blocks.size(), 8u);  // refused only near the end
  uint64_t covered = 0;
  for (const BlockRecord& b : d.blocks) covered += b.end - b.offset;
  EXPECT_EQ(covered + d.work.bytesSkipped, start.size() + noise.size() - d.blocks.front().offset);
  EXPECT_LE(d.work.headerReads, 2 * (start.size() + noise.size()));
  DefaultTempoEstimator detector;
  const FileAnalysis a = AnalyseFile(WriteTempFile("noise_behind2.mp3", Concat({start, noise})),
                                     AudioFormats::kMpegAndWave, detector, nullptr);
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.error.rfind("not MPEG audio", 0), 0u) << a.error;
  std::printf("4 MiB of noise behind two frames: %zu stray frames decoded, %llu header checks\n",
              d.blocks.size() - 2, static_cast<unsigned long long>(d.work.headerReads));
}

namespace {

// Cuts the file short when the worker reports block 40: the rest of the
// mapping vanishes under the worker's feet.
class TruncatingTarget : public MessageTarget {
 public:
  explicit TruncatingTarget(std::string path) : path_(std::move(path)) {}
  void Post(uint32_t id, uintptr_t wParam, intptr_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == AnalysisJob::kAnalysisProgress && wParam == 40)
      truncated_ = truncate(path_.c_str(), 8192) == 0;
    if (id != AnalysisJob::kAnalysisProgress) finals_.push_back(id);
    changed_.notify_all();
  }
  // The worker runs at idle priority: on a machine busy with other tests it
  // may wait long for a processor, hence the generous bound.
  std::vector<uint32_t> WaitForFinal() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::minutes(10), [&] { return !finals_.empty(); });
    return finals_;
  }
  bool Truncated() {
    std::lock_guard<std::mutex> lock(mutex_);
    return truncated_;
  }

 private:
  std::string path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint32_t> finals_;
  bool truncated_ = false;
};

}  // namespace

TEST(DamagedSource, FileTruncatedWhileTheWorkerMapsItFails) {
  LOAD_OR_SKIP(in, "l3_44k.mp3");
  const std::string path = WriteTempFile("truncated_live.mp3", in.bytes);
  AnalysisJob job;
  TruncatingTarget target(path);
  ASSERT_TRUE(job.Start(&target, path));
  const std::vector<uint32_t> finals = target.WaitForFinal();
  job.Stop();
  EXPECT_TRUE(target.Truncated());
  ASSERT_EQ(finals.size(), 1u);
  EXPECT_EQ(finals[0], AnalysisJob::kAnalysisFailed);

  // The job, and the program, go on with the next file.
  const std::string next = WriteTempFile("after_truncated.mp3", in.bytes);
  TruncatingTarget quiet("/nonexistent/never");
  ASSERT_TRUE(job.Start(&quiet, next));
  const std::vector<uint32_t> after = quiet.WaitForFinal();
  job.Stop();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0], AnalysisJob::kAnalysisDone);
}
