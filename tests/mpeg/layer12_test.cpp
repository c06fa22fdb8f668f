// Layer I and Layer II: the set-ups' table choice and subband limits, the
// refused bit-rate and mode combinations, and whole frames built bit by bit
// from random allocations, whose subband samples are checked against the
// standard's requantisation formulas (grouped codes, scfsi, the joint-stereo
// bound, subbands passed over above the limit). Then the frames the stream
// routine gets whatever they hold: other layers, damaged and short frames.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <set>
#include <tuple>
#include <vector>

#include "bit_writer.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/standard_tables.h"
#include "test_stream.h"

namespace {

struct FrameDescription {
  int layer = 2;
  int version = 1;  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int bitrateIndex = 14;
  int sampleRateIndex = 0;
  int mode = 0;
  int modeExtension = 0;
  bool crc = false;
  int allocation[2][32] = {};
  int scfsi[2][32] = {};
  int scaleIndex[2][32][3] = {};  // per part; Layer I uses part 0
  // Layer I: code[block][ch][sb][0]; Layer II: code[granule][ch][sb][k],
  // k = 0 the grouped codeword, or the three ungrouped ones.
  std::vector<std::uint32_t> codes = std::vector<std::uint32_t>(12 * 2 * 32 * 3, 0);
  static std::size_t at(int block, int ch, int sb, int k) {
    return std::size_t(((block * 2 + ch) * 32 + sb) * 3 + k);
  }
  std::uint32_t& code(int block, int ch, int sb, int k) { return codes[at(block, ch, sb, k)]; }
  std::uint32_t code(int block, int ch, int sb, int k) const { return codes[at(block, ch, sb, k)]; }

  int channels() const { return mode == 3 ? 1 : 2; }
  int bound() const { return mode == 1 ? 4 * (modeExtension + 1) : 32; }
  int tableNumber() const {
    return version != 1 ? 4 : mpeg::kLayer2TableChoice[mode][sampleRateIndex][bitrateIndex];
  }
  const mpeg::Layer2AllocationTable& table() const {
    return mpeg::kLayer2AllocationTables[tableNumber()];
  }
  int sblimit() const { return layer == 1 ? 32 : table().sblimit; }
  int sampleRate() const { return mpeg::sampleRateHz(version, sampleRateIndex); }
  int frameBytes() const {
    const int br = mpeg::bitrateKbps(version, layer, bitrateIndex) * 1000;
    return layer == 1 ? 4 * (12 * br / sampleRate()) : 144 * br / sampleRate();
  }
  // The allocation that codes subband `sb` of channel `ch` (one for both above the bound).
  int alloc(int ch, int sb) const { return allocation[sb < bound() ? ch : 0][sb]; }
  const mpeg::Layer2Class& quantizer(int ch, int sb) const {
    return mpeg::kLayer2Classes[table().classIndex[sb][alloc(ch, sb)]];
  }
  // Bits of one codeword group (Layer I: one code, Layer II: a granule's three).
  int groupBits(int ch, int sb) const {
    if (alloc(ch, sb) == 0) return 0;
    if (layer == 1) return alloc(ch, sb) + 1;
    const mpeg::Layer2Class& q = quantizer(ch, sb);
    return q.grouped ? q.bits : 3 * q.bits;
  }
};

std::vector<std::uint8_t> header(const FrameDescription& f) {
  const int high = f.version == 3 ? 0xE0 : 0xF0;
  const int id = f.version == 1 ? 1 : 0;
  return {0xFF, std::uint8_t(high | (id << 3) | ((4 - f.layer) << 1) | (f.crc ? 0 : 1)),
          std::uint8_t((f.bitrateIndex << 4) | (f.sampleRateIndex << 2)),
          std::uint8_t((f.mode << 6) | (f.modeExtension << 4))};
}

// The frame in the order of ISO/IEC 11172-3: header, CRC, allocation,
// (Layer II: scfsi,) scale factors, samples; zero-filled to its length.
std::vector<std::uint8_t> build(const FrameDescription& f) {
  BitWriter w;
  for (std::uint8_t b : header(f)) w.put(b, 8);
  if (f.crc) w.put(0xBEEF, 16);
  const int channels = f.channels(), bound = f.bound(), sblimit = f.sblimit();
  for (int sb = 0; sb < sblimit; ++sb) {
    const int nbal = f.layer == 1 ? 4 : f.table().nbal[sb];
    for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch)
      w.put(std::uint32_t(f.allocation[ch][sb]), nbal);
  }
  if (f.layer == 2) {
    for (int sb = 0; sb < sblimit; ++sb)
      for (int ch = 0; ch < channels; ++ch)
        if (f.alloc(ch, sb)) w.put(std::uint32_t(f.scfsi[ch][sb]), 2);
  }
  for (int sb = 0; sb < sblimit; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      if (!f.alloc(ch, sb)) continue;
      const int* index = f.scaleIndex[ch][sb];
      const int scfsi = f.layer == 1 ? 2 : f.scfsi[ch][sb];
      w.put(std::uint32_t(index[0]), 6);
      if (scfsi == 0 || scfsi == 3) w.put(std::uint32_t(index[1]), 6);
      if (scfsi == 0 || scfsi == 1) w.put(std::uint32_t(index[2]), 6);
    }
  }
  for (int block = 0; block < 12; ++block) {
    for (int sb = 0; sb < sblimit; ++sb) {
      for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
        const int a = f.alloc(ch, sb);
        if (a == 0) continue;
        if (f.layer == 1) {
          w.put(f.code(block, ch, sb, 0), a + 1);
        } else if (f.quantizer(ch, sb).grouped) {
          w.put(f.code(block, ch, sb, 0), f.quantizer(ch, sb).bits);
        } else {
          for (int k = 0; k < 3; ++k) w.put(f.code(block, ch, sb, k), f.quantizer(ch, sb).bits);
        }
      }
    }
  }
  EXPECT_LE(w.bytes.size(), std::size_t(f.frameBytes())) << "test frame overfull";
  w.padTo(std::size_t(f.frameBytes()));
  return w.bytes;
}

// The standard's requantisation of an nb-bit code for 2^nb - 1 levels: the
// code with its most significant bit inverted read as a two's-complement
// fraction s''', then s'' = 2^nb / (2^nb - 1) x (s''' + 2^(1 - nb)).
double ungroupedValue(std::uint32_t code, int nb) {
  const double fraction = (double(code) - std::ldexp(1.0, nb - 1)) / std::ldexp(1.0, nb - 1);
  return std::ldexp(1.0, nb) / (std::ldexp(1.0, nb) - 1.0) * (fraction + std::ldexp(1.0, 1 - nb));
}

// The subband sample the decoder must hold for block `block` (Layer II:
// granule block / 3, sample block % 3), on the decoder's scale (x 32768).
double expectedSample(const FrameDescription& f, int block, int ch, int sb) {
  const int a = f.alloc(ch, sb);
  if (a == 0) return 0.0;
  const int codeCh = sb < f.bound() ? ch : 0;
  double value;
  int part = 0;
  if (f.layer == 1) {
    value = ungroupedValue(f.code(block, codeCh, sb, 0), a + 1);
  } else {
    const int granule = block / 3, k = block % 3;
    part = granule / 4;
    const mpeg::Layer2Class& q = f.quantizer(ch, sb);
    if (q.grouped) {
      std::uint32_t v = f.code(granule, codeCh, sb, 0);
      for (int i = 0; i < k; ++i) v /= std::uint32_t(q.levels);
      const int digit = int(v % std::uint32_t(q.levels));
      value = (digit - (q.levels - 1) / 2) * 2.0 / q.levels;
    } else {
      value = ungroupedValue(f.code(granule, codeCh, sb, k), q.bits);
    }
  }
  return value * 65536.0 * std::pow(2.0, -f.scaleIndex[ch][sb][part] / 3.0);
}

// Random allocations (every subband of `forced` allocated), scfsi, scale
// factors and codes that fit the frame.
void randomize(FrameDescription& f, std::mt19937& random, int forced = -1) {
  const int channels = f.channels(), sblimit = f.sblimit();
  int capacity = f.frameBytes() * 8 - 32 - (f.crc ? 16 : 0);
  for (int sb = 0; sb < sblimit; ++sb) {
    const int nbal = f.layer == 1 ? 4 : f.table().nbal[sb];
    capacity -= nbal * (sb < f.bound() ? channels : 1);
  }
  for (int sb = 0; sb < sblimit; ++sb) {
    for (int ch = 0; ch < channels; ++ch) {
      const int nbal = f.layer == 1 ? 4 : f.table().nbal[sb];
      const int values = f.layer == 1 ? 15 : 1 << nbal;  // Layer I never 15
      int a =
          (sb == forced || random() % 3 != 0) ? 1 + int(random() % std::uint32_t(values - 1)) : 0;
      if (ch == 1 && sb >= f.bound()) a = f.allocation[0][sb];
      f.allocation[ch][sb] = a;
      f.scfsi[ch][sb] = int(random() % 4);
      int* index = f.scaleIndex[ch][sb];
      for (int p = 0; p < 3; ++p) index[p] = int(random() % 63);
      if (f.layer == 1 || f.scfsi[ch][sb] == 2) index[1] = index[2] = index[0];
      if (f.scfsi[ch][sb] == 1) index[1] = index[0];
      if (f.scfsi[ch][sb] == 3) index[2] = index[1];
    }
  }
  // Drop allocations (never of `forced`) until everything fits.
  auto used = [&] {
    int bits = 0;
    for (int sb = 0; sb < sblimit; ++sb)
      for (int ch = 0; ch < channels; ++ch) {
        if (!f.alloc(ch, sb)) continue;
        const int scfsi = f.layer == 1 ? 2 : f.scfsi[ch][sb];
        bits += (f.layer == 2 ? 2 : 0) + 6 * (scfsi == 0 ? 3 : scfsi == 2 ? 1 : 2);
        if (ch == 0 || sb < f.bound()) bits += 12 * f.groupBits(ch, sb);
      }
    return bits;
  };
  while (used() > capacity) {
    const int sb = int(random() % std::uint32_t(sblimit)),
              ch = int(random() % std::uint32_t(channels));
    if (sb == forced) continue;
    f.allocation[sb < f.bound() ? ch : 0][sb] = 0;
    if (sb >= f.bound()) f.allocation[1][sb] = 0;
  }
  for (int block = 0; block < 12; ++block)
    for (int ch = 0; ch < channels; ++ch)
      for (int sb = 0; sb < sblimit; ++sb) {
        if (!f.alloc(ch, sb)) continue;
        if (f.layer == 1) {
          f.code(block, ch, sb, 0) = std::uint32_t(random() % ((1u << (f.alloc(ch, sb) + 1)) - 1));
          continue;
        }
        const mpeg::Layer2Class& q = f.quantizer(ch, sb);
        const std::uint32_t levels = std::uint32_t(q.levels);
        for (int k = 0; k < 3; ++k)
          f.code(block, ch, sb, k) =
              std::uint32_t(random() % (q.grouped ? levels * levels * levels : levels));
      }
}

// A test stream that also reads the subband samples the synthesis was given.
struct Decoder : TestStream {
  using TestStream::TestStream;
  float sample(int ch, int block, int sb) const {
    return decoder->layer12.subbandSamples[ch][block][sb];
  }
};

// (allocation table, or -1 for Layer I; subband; allocation) decoded.
using Coverage = std::set<std::tuple<int, int, int>>;

// Decodes random frames of `f`'s kind and checks every subband sample below
// the limit against the standard's value, and those above it for 0. Layer I
// frames always give subband 31 samples.
void checkRandomFrames(FrameDescription f, int frames, int frequencyLimit, int expectedLimit,
                       unsigned seed, Coverage& coverage) {
  std::mt19937 random(seed);
  Decoder d(build(f), frequencyLimit);
  ASSERT_EQ(d.decoder->layer12.subbandLimit, expectedLimit);
  const int blocks = f.layer == 1 ? 12 : 36;
  for (int n = 0; n < frames; ++n) {
    randomize(f, random, f.layer == 1 ? 31 : n % f.sblimit());
    ASSERT_EQ(d.decode(build(f)), 1);
    for (int ch = 0; ch < f.channels(); ++ch)
      for (int sb = 0; sb < expectedLimit; ++sb)
        if (f.alloc(ch, sb))
          coverage.insert({f.layer == 1 ? -1 : f.tableNumber(), sb, f.alloc(ch, sb)});
    for (int ch = 0; ch < f.channels(); ++ch)
      for (int sb = 0; sb < 32; ++sb)
        for (int block = 0; block < blocks; ++block) {
          const double want = sb < expectedLimit ? expectedSample(f, block, ch, sb) : 0.0;
          ASSERT_NEAR(d.sample(ch, block, sb), want, 1e-6 * std::fabs(want) + 1e-9)
              << "layer " << f.layer << " mode " << f.mode << "/" << f.modeExtension << " frame "
              << n << " ch " << ch << " sb " << sb << " block " << block << " allocation "
              << f.alloc(ch, sb);
        }
    ASSERT_TRUE(d.guardIntact(f.layer == 1 ? 384 * 2 * f.channels() : 1152 * 2 * f.channels()));
  }
}

FrameDescription frameDescription(int layer, int version, int bitrateIndex, int sampleRateIndex,
                                  int mode, int modeExtension = 0) {
  FrameDescription f;
  f.layer = layer;
  f.version = version;
  f.bitrateIndex = bitrateIndex;
  f.sampleRateIndex = sampleRateIndex;
  f.mode = mode;
  f.modeExtension = modeExtension;
  return f;
}

TEST(Layer12Setup, AllocationTableAndSubbandLimitFollowRateAndMode) {
  struct Case {
    int layer, version, bitrateIndex, sampleRateIndex, mode, sblimit;
  } cases[] = {
      {2, 1, 10, 0, 0, 30},  // 44100 Hz stereo 192 kbit/s: 96 per channel
      {2, 1, 8, 0, 0, 27},   // 44100 Hz stereo 128 kbit/s
      {2, 1, 4, 2, 0, 12},   // 32000 Hz stereo 64 kbit/s
      {2, 1, 2, 0, 3, 8},    // 44100 Hz mono 48 kbit/s
      {2, 1, 3, 0, 3, 27},   // 44100 Hz mono 56 kbit/s
      {2, 1, 6, 1, 0, 8},    // 48000 Hz stereo 96 kbit/s: 48 per channel
      {2, 1, 1, 2, 3, 12},   // 32000 Hz mono 32 kbit/s
      {2, 1, 12, 1, 1, 27},  // 48000 Hz joint stereo 256 kbit/s
      {2, 2, 8, 0, 0, 30},   // 22050 Hz: the low-sampling-frequency table
      {2, 3, 4, 2, 3, 30},   // 8000 Hz
      {1, 1, 14, 0, 0, 32},
  };
  for (const Case& c : cases) {
    const FrameDescription f =
        frameDescription(c.layer, c.version, c.bitrateIndex, c.sampleRateIndex, c.mode);
    Decoder d(build(f));
    EXPECT_EQ(d.decoder->layer12.sblimit, c.sblimit) << c.bitrateIndex << " " << c.sampleRateIndex;
    EXPECT_EQ(d.decoder->layer12.subbandLimit, std::min(c.sblimit, 31));
    EXPECT_EQ(d.decoder->layer12.channels, c.mode == 3 ? 1 : 2);
  }
  // A lower frequency limit: (8000 x 64 + fs / 2) / fs subbands.
  EXPECT_EQ(Decoder(build(frameDescription(2, 1, 10, 2, 0)), 8000).decoder->layer12.subbandLimit,
            16);
  EXPECT_EQ(Decoder(build(frameDescription(2, 1, 10, 0, 0)), 8000).decoder->layer12.subbandLimit,
            12);
  EXPECT_EQ(Decoder(build(frameDescription(1, 1, 14, 1, 0)), 8000).decoder->layer12.subbandLimit,
            11);
}

TEST(Layer12Setup, ForbiddenLayer2CombinationsDecodeToSilence) {
  std::mt19937 random(7);
  const int twoChannelForbidden[] = {1, 2, 3, 5}, monoForbidden[] = {11, 12, 13, 14};
  for (int mode = 0; mode < 4; ++mode) {
    for (int rate = 0; rate < 3; ++rate) {
      for (int index : mode == 3 ? monoForbidden : twoChannelForbidden) {
        FrameDescription f = frameDescription(2, 1, index, rate, mode);
        std::vector<std::uint8_t> frame = header(f);
        frame.resize(std::size_t(f.frameBytes()) + 200);
        for (std::size_t i = 4; i < frame.size(); ++i) frame[i] = std::uint8_t(random());
        // A decoder that decoded a stream of the other channel count before.
        FrameDescription other =
            mode == 3 ? frameDescription(2, 1, 14, 0, 0) : frameDescription(2, 1, 10, 0, 3);
        Decoder d(build(other));
        randomize(other, random);
        ASSERT_EQ(d.decode(build(other)), 1);

        mpeg::StreamInfo info{};
        ASSERT_EQ(mpeg::readStreamInfo(frame.data(), int(frame.size()), info), 1);
        EXPECT_EQ(mpeg::layer2Setup(*d.decoder, info), 0);
        ASSERT_EQ(mpeg::startStream(*d.decoder, frame.data(), int(frame.size())), 1);
        ASSERT_EQ(d.decode(frame), 1);
        const int bytes = 1152 * 2 * f.channels();
        EXPECT_EQ(d.outBytes, bytes);
        EXPECT_TRUE(d.silent(bytes)) << mode << " " << rate << " " << index;
        EXPECT_TRUE(d.guardIntact(bytes));
      }
    }
  }
  // The neighbours of the refused rates are allowed.
  for (const FrameDescription& f :
       {frameDescription(2, 1, 4, 0, 0), frameDescription(2, 1, 6, 0, 2),
        frameDescription(2, 1, 10, 0, 3)}) {
    const auto frame = build(f);
    Decoder d(frame);
    mpeg::StreamInfo info{};
    ASSERT_EQ(mpeg::readStreamInfo(frame.data(), int(frame.size()), info), 1);
    EXPECT_EQ(mpeg::layer2Setup(*d.decoder, info), 1);
    EXPECT_EQ(d.decoder->layer12.silent, 0);
  }
}

// Every allocation value of each table (Layer I: 1-14) in every subband
// below `limit` was decoded.
void expectFullCoverage(const Coverage& coverage, std::set<int> tables, int limit) {
  for (int table : tables) {
    const int sblimit = table < 0 ? 32 : mpeg::kLayer2AllocationTables[table].sblimit;
    for (int sb = 0; sb < std::min(sblimit, limit); ++sb) {
      const int values = table < 0 ? 15 : 1 << mpeg::kLayer2AllocationTables[table].nbal[sb];
      for (int a = 1; a < values; ++a)
        EXPECT_TRUE(coverage.count({table, sb, a}))
            << "table " << table << " sb " << sb << " allocation " << a;
    }
  }
}

TEST(Layer2Frame, RequantisesEveryQuantiserOfEveryTable) {
  // Tables B.2a-d and the low-sampling-frequency table, every mode and
  // joint-stereo bound: 60 random frames each, subband samples against the
  // standard's formulas.
  const FrameDescription kinds[] = {
      frameDescription(2, 1, 14, 0, 0),    frameDescription(2, 1, 14, 0, 2),
      frameDescription(2, 1, 10, 0, 3),                                          // B.2b
      frameDescription(2, 1, 14, 1, 1, 0), frameDescription(2, 1, 14, 1, 1, 1),  // B.2a at 48000 Hz
      frameDescription(2, 1, 14, 1, 1, 2), frameDescription(2, 1, 14, 1, 1, 3),
      frameDescription(2, 1, 2, 0, 3),     frameDescription(2, 1, 6, 1, 0),
      frameDescription(2, 1, 6, 0, 2),  // B.2c
      frameDescription(2, 1, 1, 2, 3),     frameDescription(2, 1, 4, 2, 1, 0),
      frameDescription(2, 1, 6, 2, 0),  // B.2d
      frameDescription(2, 2, 14, 0, 0),    frameDescription(2, 2, 14, 1, 1, 1),
      frameDescription(2, 3, 8, 2, 3),  // low sampling frequencies
  };
  unsigned seed = 1;
  Coverage coverage;
  for (const FrameDescription& f : kinds)
    checkRandomFrames(f, 60, 0, std::min(f.sblimit(), 31), seed++, coverage);
  expectFullCoverage(coverage, {0, 1, 2, 3, 4}, 31);
}

TEST(Layer2Frame, SamplesAboveTheSubbandLimitArePassedOver) {
  // A limit of 12 subbands at 44100 Hz (table B.2b: 30): the codes of
  // subbands 12-29 are skipped granule by granule, shared ones once.
  unsigned seed = 100;
  Coverage coverage;
  checkRandomFrames(frameDescription(2, 1, 14, 0, 0), 30, 8000, 12, seed++, coverage);
  checkRandomFrames(frameDescription(2, 1, 10, 0, 3), 30, 8000, 12, seed++, coverage);
  for (int extension = 0; extension < 4; ++extension)
    checkRandomFrames(frameDescription(2, 1, 14, 0, 1, extension), 30, 8000, 12, seed++, coverage);
}

TEST(Layer1Frame, RequantisesEveryAllocationAndSkipsSubband31) {
  // Subband 31 carries samples in every frame; its bits are skipped and it
  // stays silent. Joint stereo codes the subbands from the bound up once.
  unsigned seed = 200;
  Coverage coverage;
  for (int mode : {0, 2, 3})
    checkRandomFrames(frameDescription(1, 1, 14, 1, mode), 40, 0, 31, seed++, coverage);
  for (int extension = 0; extension < 4; ++extension)
    checkRandomFrames(frameDescription(1, 1, 14, 0, 1, extension), 40, 0, 31, seed++, coverage);
  checkRandomFrames(frameDescription(1, 1, 14, 2, 1, 1), 30, 8000, 16, seed++, coverage);
  expectFullCoverage(coverage, {-1}, 31);
}

TEST(Layer1Frame, JointStereoModeExtension0DecodesSubbands4To30OnceForBoth) {
  FrameDescription f = frameDescription(1, 1, 14, 1, 1, 0);
  std::mt19937 random(3);
  randomize(f, random);
  for (int sb = 0; sb < 32; ++sb) {
    f.allocation[0][sb] = f.allocation[1][sb] = 3 + sb % 5;
    f.scaleIndex[0][sb][0] = 10;
    f.scaleIndex[1][sb][0] = 13;  // half the left channel's scale
    for (int block = 0; block < 12; ++block) {
      f.code(block, 0, sb, 0) = std::uint32_t(random() % 7);  // never the centre code 7
      f.code(block, 1, sb, 0) = std::uint32_t(14 - f.code(block, 0, sb, 0));
    }
  }
  Decoder d(build(f));
  ASSERT_EQ(d.decode(build(f)), 1);
  for (int block = 0; block < 12; ++block) {
    for (int sb = 0; sb < 4; ++sb) EXPECT_NE(d.sample(1, block, sb) * 2, d.sample(0, block, sb));
    for (int sb = 4; sb < 31; ++sb) {
      EXPECT_NE(d.sample(0, block, sb), 0.0f);
      EXPECT_EQ(d.sample(1, block, sb) * 2, d.sample(0, block, sb)) << sb;
    }
    EXPECT_EQ(d.sample(0, block, 31), 0.0f);
    EXPECT_EQ(d.sample(1, block, 31), 0.0f);
  }
}

TEST(Layer12Frame, AFrameOfAnotherLayerIsDecodedByTheStreamsRoutine) {
  // A Layer I frame whose header says Layer II: the Layer I routine reads
  // the same bits and gives the same PCM.
  std::mt19937 random(11);
  FrameDescription f = frameDescription(1, 1, 14, 1, 0);
  randomize(f, random);
  const auto frame = build(f);
  auto relabelled = frame;
  relabelled[1] = 0xFD;                   // Layer II, no CRC
  relabelled.resize(144 * 384 / 48 + 1);  // its own length at 384 kbit/s
  Decoder a(frame), b(frame);
  ASSERT_EQ(a.decode(frame), 1);
  ASSERT_EQ(b.decode(relabelled), 1);
  EXPECT_EQ(b.outBytes, a.outBytes);
  EXPECT_EQ(a.pcm, b.pcm);

  // A Layer II stream given Layer III, Layer I and mono frames: in bounds.
  FrameDescription g = frameDescription(2, 1, 14, 0, 0);
  Decoder c(build(g));
  for (int byte1 : {0xFB, 0xFA, 0xFF, 0xFE, 0xF3, 0xE3}) {
    for (int byte3 : {0x00, 0x50, 0xC0}) {
      std::vector<std::uint8_t> other(1900);
      for (auto& v : other) v = std::uint8_t(random());
      other[0] = 0xFF, other[1] = static_cast<std::uint8_t>(byte1), other[2] = 0xE0,
      other[3] = static_cast<std::uint8_t>(byte3);
      ASSERT_EQ(c.decode(other), 1);
      EXPECT_EQ(c.outBytes, 4608);
      EXPECT_TRUE(c.guardIntact(4608));
    }
  }
}

TEST(Layer12Frame, AShortFrameReadsZerosBeyondItsEnd) {
  // Decoding the first `kept` bytes of a frame gives what decoding the
  // whole frame with the rest zeroed gives; the cut copy is sized exactly,
  // so nothing past it may be read.
  std::mt19937 random(5);
  for (int layer : {1, 2}) {
    FrameDescription f = frameDescription(layer, 1, 14, 0, 1, 1);
    randomize(f, random);
    const auto frame = build(f);
    for (int kept : {0, 3, 4, 6, 40, 120, 333, int(frame.size()) - 9, int(frame.size()) - 1}) {
      auto zeroed = frame;
      std::fill(zeroed.begin() + std::max(kept, 4), zeroed.end(), 0);
      Decoder whole(frame), cut(frame);
      ASSERT_EQ(whole.decode(zeroed), 1);
      const std::vector<std::uint8_t> head(frame.begin(), frame.begin() + kept);
      mpeg::FrameRequest r{};
      ASSERT_EQ(mpeg::parseFrameHeader(frame.data(), r), 1);
      std::fill(cut.pcm.begin(), cut.pcm.end(), 0x55);
      if (layer == 1)
        mpeg::layer1DecodeFrame(*cut.decoder, r, head.data(), kept, cut.pcm.data());
      else
        mpeg::layer2DecodeFrame(*cut.decoder, r, head.data(), kept, cut.pcm.data());
      EXPECT_EQ(whole.pcm, cut.pcm) << "layer " << layer << " kept " << kept;
    }
  }
}

TEST(Layer12Frame, DamagedFramesStayWithinTheBuffers) {
  std::mt19937 random(9);
  const FrameDescription streams[] = {
      frameDescription(1, 1, 14, 0, 0), frameDescription(1, 1, 4, 2, 3),
      frameDescription(2, 1, 14, 2, 1), frameDescription(2, 1, 3, 0, 3),
      frameDescription(2, 2, 14, 1, 0)};
  for (const FrameDescription& first : streams) {
    Decoder d(build(first));
    const int bytes = (first.layer == 1 ? 384 : 1152) * 2 * first.channels();
    for (int n = 0; n < 400; ++n) {
      std::vector<std::uint8_t> frame(std::size_t(4 + random() % 2000));
      for (auto& v : frame) v = std::uint8_t(random());
      frame[0] = 0xFF;
      frame[1] |= 0xE0;
      if (d.decode(frame) == 1) {
        EXPECT_EQ(d.outBytes, bytes);
      }
      ASSERT_TRUE(d.guardIntact(bytes));
    }
  }
}

}  // namespace
