// The decoder's tables: the generated constant tables against the checked
// table data (when that folder is present), their own properties always,
// the decoding look-ups built from them, and the computed tables' values.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bit_writer.h"
#include "mpeg/decoder_tables.h"
#include "mpeg/frame_header.h"
#include "mpeg/layer3_huffman.h"
#include "mpeg/layer3_scale_factors.h"
#include "mpeg/standard_tables.h"

namespace {

using Words = std::vector<std::string>;

// The data lines of one table file, split into words; empty when absent.
std::vector<Words> tableFile(const std::string& name) {
  std::vector<Words> lines;
  std::ifstream in(std::string(TEMPYRA_SHARED_TABLES) + "/" + name);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Words w;
    std::string word;
    while (words >> word) w.push_back(word);
    if (!w.empty()) lines.push_back(w);
  }
  return lines;
}

#define REQUIRE_TABLE_DATA(lines, name) \
  const auto lines = tableFile(name);   \
  if (lines.empty())                    \
  GTEST_SKIP() << "table data " << TEMPYRA_SHARED_TABLES << "/" << name << " not present"

std::string codeString(const mpeg::HuffmanCodeword& c) {
  std::string s;
  for (int i = c.length - 1; i >= 0; --i) s += ((c.bits >> i) & 1) ? '1' : '0';
  return s;
}

int bandIndex(int rate) {
  const int rates[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
  for (int i = 0; i < 9; ++i)
    if (rates[i] == rate) return i;
  return -1;
}

// ---- Own properties, always checked ----

void expectCompletePrefixFreeCode(const mpeg::HuffmanCodeword* codes, int count,
                                  const std::string& what) {
  std::vector<std::string> strings;
  std::uint64_t kraft = 0;  // sum of 2^(32 - length)
  for (int i = 0; i < count; ++i) {
    ASSERT_GE(codes[i].length, 1) << what;
    ASSERT_LE(codes[i].length, 19) << what;
    strings.push_back(codeString(codes[i]));
    kraft += std::uint64_t(1) << (32 - codes[i].length);
  }
  EXPECT_EQ(kraft, std::uint64_t(1) << 32) << what << ": Kraft sum is not 1";
  std::sort(strings.begin(), strings.end());
  for (std::size_t i = 1; i < strings.size(); ++i)
    EXPECT_NE(strings[i].compare(0, strings[i - 1].size(), strings[i - 1]), 0)
        << what << ": " << strings[i - 1] << " is a prefix of " << strings[i];
}

TEST(HuffmanTables, CodesArePrefixFreeAndComplete) {
  for (const mpeg::HuffmanTable& t : mpeg::kHuffmanTables) {
    if (t.dimension <= 0) continue;
    expectCompletePrefixFreeCode(t.codes, t.dimension * t.dimension,
                                 "table " + std::to_string(t.number));
  }
  expectCompletePrefixFreeCode(mpeg::kCount1Codes[0], 16, "count1 A");
  expectCompletePrefixFreeCode(mpeg::kCount1Codes[1], 16, "count1 B");
}

TEST(HuffmanTables, StructureOfTheStandardsTables) {
  EXPECT_EQ(mpeg::kHuffmanTables[0].dimension, 0);
  EXPECT_EQ(mpeg::kHuffmanTables[4].dimension, -1);
  EXPECT_EQ(mpeg::kHuffmanTables[14].dimension, -1);
  const int linbits[32] = {0, 0, 0, 0, 0, 0, 0,  0,  0, 0, 0, 0, 0, 0, 0,  0,
                           1, 2, 3, 4, 6, 8, 10, 13, 4, 5, 6, 7, 8, 9, 11, 13};
  for (int t = 0; t < 32; ++t) EXPECT_EQ(mpeg::kHuffmanTables[t].linbits, linbits[t]) << t;
  for (int t = 17; t < 24; ++t)
    EXPECT_EQ(mpeg::kHuffmanTables[t].codes, mpeg::kHuffmanTables[16].codes);
  for (int t = 25; t < 32; ++t)
    EXPECT_EQ(mpeg::kHuffmanTables[t].codes, mpeg::kHuffmanTables[24].codes);
  // count1 table B is the 4-bit code of the inverted values.
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(mpeg::kCount1Codes[1][i].length, 4);
    EXPECT_EQ(mpeg::kCount1Codes[1][i].bits, std::uint32_t(15 - i));
  }
}

TEST(HuffmanLookup, DecodesEveryCodeword) {
  for (int t = 0; t < 32; ++t) {
    const mpeg::HuffmanTable& table = mpeg::kHuffmanTables[t];
    if (table.dimension <= 0) continue;
    for (int i = 0; i < table.dimension * table.dimension; ++i) {
      BitWriter w;
      w.code(table.codes[i].length, table.codes[i].bits);
      w.put(0x5A5A5, 20);  // whatever follows must not matter
      mpeg::BitReader reader;
      mpeg::bitReaderInit(reader, w.bytes.data(), int(w.bytes.size()));
      const std::uint32_t value = mpeg::decodeHuffmanCodeword(reader, t, 0);
      EXPECT_EQ(value, std::uint32_t(((i / table.dimension) << 4) | (i % table.dimension)))
          << t << " " << i;
      EXPECT_EQ(mpeg::bitPosition(reader), table.codes[i].length);
    }
  }
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 16; ++i) {
      BitWriter w;
      w.code(mpeg::kCount1Codes[c][i].length, mpeg::kCount1Codes[c][i].bits);
      w.put(0xFFFFF, 20);
      mpeg::BitReader reader;
      mpeg::bitReaderInit(reader, w.bytes.data(), int(w.bytes.size()));
      EXPECT_EQ(mpeg::decodeHuffmanCodeword(reader, -1, c), std::uint32_t(i));
      EXPECT_EQ(mpeg::bitPosition(reader), mpeg::kCount1Codes[c][i].length);
    }
  EXPECT_LE(mpeg::huffmanLookup().used, mpeg::HuffmanLookup::kCapacity);
}

TEST(ScaleFactorBands, EndAt576And192AndRise) {
  for (const mpeg::ScaleFactorBands& b : mpeg::kScaleFactorBands) {
    EXPECT_EQ(b.longBoundary[0], 0);
    EXPECT_EQ(b.longBoundary[22], 576) << b.sampleRateHz;
    EXPECT_EQ(b.shortBoundary[0], 0);
    EXPECT_EQ(b.shortBoundary[13], 192) << b.sampleRateHz;
    for (int i = 1; i < 23; ++i) EXPECT_GT(b.longBoundary[i], b.longBoundary[i - 1]);
    for (int i = 1; i < 14; ++i) EXPECT_GT(b.shortBoundary[i], b.shortBoundary[i - 1]);
  }
  EXPECT_EQ(mpeg::kScaleFactorBands[bandIndex(44100)].longBoundary[21], 418);
}

TEST(ScaleFactorBands, TheMpeg25TablesTheDecoderFixes) {
  // 11025 and 12000 Hz use the 16000 Hz table; 8000 Hz has its own.
  const auto& b16 = mpeg::kScaleFactorBands[bandIndex(16000)];
  for (int rate : {11025, 12000}) {
    const auto& b = mpeg::kScaleFactorBands[bandIndex(rate)];
    for (int i = 0; i < 23; ++i) EXPECT_EQ(b.longBoundary[i], b16.longBoundary[i]);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(b.shortBoundary[i], b16.shortBoundary[i]);
  }
  const int long8000[23] = {0,   12,  24,  36,  48,  60,  72,  88,  108, 132, 160, 192,
                            232, 280, 336, 400, 476, 566, 568, 570, 572, 574, 576};
  const int short8000[14] = {0, 8, 16, 24, 36, 52, 72, 96, 124, 160, 162, 164, 166, 192};
  const auto& b8 = mpeg::kScaleFactorBands[bandIndex(8000)];
  for (int i = 0; i < 23; ++i) EXPECT_EQ(b8.longBoundary[i], long8000[i]) << i;
  for (int i = 0; i < 14; ++i) EXPECT_EQ(b8.shortBoundary[i], short8000[i]) << i;
}

TEST(ScaleFactorTables, PretabAndScfsiGroups) {
  const int pretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};
  for (int i = 0; i < 22; ++i) EXPECT_EQ(mpeg::kPretab[i], pretab[i]) << i;
  const int groups[5] = {0, 6, 11, 16, 21};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(mpeg::kScfsiBandStart[i], groups[i]);
}

TEST(ScaleFactorTables, LsfPartitionsCoverEveryBand) {
  for (int t = 0; t < 6; ++t) {
    const auto& p = mpeg::kLsfPartitionCounts[t];
    EXPECT_EQ(p[0][0] + p[0][1] + p[0][2] + p[0][3], 21) << t;
    EXPECT_EQ(p[1][0] + p[1][1] + p[1][2] + p[1][3], 36) << t;
    EXPECT_EQ(p[2][0] + p[2][1] + p[2][2] + p[2][3], 33) << t;
  }
}

TEST(ScaleFactorTables, LsfCompressionRangesAreOneToOne) {
  // Within each range every scalefac_compress gives its own slen set;
  // slen stays within 4 bits, 5 for the intensity positions.
  for (bool intensity : {false, true}) {
    std::map<std::vector<int>, int> seen;
    for (int sfc = 0; sfc < 512; sfc += intensity ? 2 : 1) {
      const mpeg::LsfCompression c = mpeg::lsfCompression(sfc, intensity);
      for (int s : c.slen) {
        EXPECT_GE(s, 0);
        EXPECT_LE(s, intensity ? 5 : 4);
      }
      const std::vector<int> key = {c.table, c.slen[0], c.slen[1], c.slen[2], c.slen[3]};
      EXPECT_EQ(seen.count(key), 0u) << sfc;
      seen[key] = sfc;
    }
  }
  // The intensity-stereo right channel ranges: below 180, 180..243, 244..255.
  EXPECT_EQ(mpeg::lsfCompression(179 * 2, true).table, 3);
  EXPECT_EQ(mpeg::lsfCompression(180 * 2, true).table, 4);
  EXPECT_EQ(mpeg::lsfCompression(243 * 2 + 1, true).table, 4);
  EXPECT_EQ(mpeg::lsfCompression(244 * 2, true).table, 5);
  const mpeg::LsfCompression top = mpeg::lsfCompression(179 * 2, true);
  // 179 = 4 x 36 + 5 x 6 + 5.
  EXPECT_EQ(top.slen[0], 4);
  EXPECT_EQ(top.slen[1], 5);
  EXPECT_EQ(top.slen[2], 5);
  EXPECT_EQ(top.preflag, 0);
  EXPECT_EQ(mpeg::lsfCompression(500, false).preflag, 1);
}

TEST(SynthesisWindow, SymmetryAndKnownValues) {
  const std::int32_t* k = mpeg::kSynthesisWindowTimes65536;
  EXPECT_EQ(k[0], 0);
  EXPECT_EQ(k[256], 75038);
  for (int i = 1; i < 256; ++i) {
    if (i == 64 || i == 128 || i == 192) {
      EXPECT_EQ(k[512 - i], k[i]) << i;
    } else {
      EXPECT_EQ(k[512 - i], -k[i]) << i;
    }
  }
}

TEST(Layer2Tables, Structure) {
  const int sblimit[5] = {27, 30, 8, 12, 30};
  const int nbalSum[5] = {88, 94, 26, 38, 75};
  for (int t = 0; t < 5; ++t) {
    const auto& table = mpeg::kLayer2AllocationTables[t];
    EXPECT_EQ(table.sblimit, sblimit[t]);
    int sum = 0;
    for (int sb = 0; sb < table.sblimit; ++sb) {
      sum += table.nbal[sb];
      EXPECT_EQ(table.classIndex[sb][0], -1);
      for (int a = 1; a < (1 << table.nbal[sb]); ++a) {
        ASSERT_GE(table.classIndex[sb][a], 0);
        if (a > 1) {
          EXPECT_GT(mpeg::kLayer2Classes[table.classIndex[sb][a]].levels,
                    mpeg::kLayer2Classes[table.classIndex[sb][a - 1]].levels);
        }
      }
    }
    EXPECT_EQ(sum, nbalSum[t]) << t;
  }
  // 44100 Hz stereo: 192 kbit/s takes the 30-subband table, 128 the 27; 32000 Hz 64 kbit/s the 12.
  EXPECT_EQ(mpeg::kLayer2TableChoice[0][0][10], 1);
  EXPECT_EQ(mpeg::kLayer2TableChoice[0][0][8], 0);
  EXPECT_EQ(mpeg::kLayer2TableChoice[0][2][4], 3);
  EXPECT_EQ(mpeg::kLayer2TableChoice[0][0][1], -1);
  EXPECT_EQ(mpeg::kLayer2TableChoice[3][0][11], -1);
}

// ---- Computed tables ----

TEST(ComputedTables, ValuesTheDecoderReliesOn) {
  const mpeg::DecoderTables& t = mpeg::decoderTables();
  EXPECT_EQ(t.layer12ScaleFactor[0], 65536.0f);
  EXPECT_EQ(t.layer12ScaleFactor[3], 32768.0f);
  EXPECT_EQ(t.globalGain[210 + 6], 32768.0f);
  EXPECT_FLOAT_EQ(t.globalGain[208 + 6], float(32768.0 / std::sqrt(2.0)));
  EXPECT_EQ(t.globalGain[0], float(std::pow(2.0, -39.0)));  // global_gain -6
  EXPECT_EQ(t.pow43[0], 0.0f);
  EXPECT_EQ(t.pow43[1], 1.0f);
  EXPECT_FLOAT_EQ(t.pow43[8], 16.0f);
  EXPECT_FLOAT_EQ(t.pow43[8206], float(std::pow(8206.0, 4.0 / 3.0)));
  EXPECT_EQ(t.subblockGain[1], 0.25f);
  EXPECT_FLOAT_EQ(t.scaleFactorGain[0][1][1], 0.5f);
  EXPECT_FLOAT_EQ(t.scaleFactorGain[1][0][1], 0.5f);
  EXPECT_FLOAT_EQ(t.scaleFactorGain[1][3][1], 1.0f / 16.0f);
  EXPECT_FLOAT_EQ(t.layer1SampleFactor[1], 2.0f / 3.0f);
  EXPECT_EQ(t.layer1SampleFactor[0], 0.0f);
  EXPECT_FLOAT_EQ(t.layer2QuantizerFactor[16], 2.0f / 65535.0f);
  EXPECT_EQ(t.grouping3[26][0], 1);
  EXPECT_EQ(t.grouping3[26][1], 1);
  EXPECT_EQ(t.grouping3[26][2], 1);
  EXPECT_EQ(t.grouping5[0][2], -2);
  EXPECT_EQ(t.grouping9[728][2], 4);  // 728 = 888 in base 9
  EXPECT_FLOAT_EQ(t.aliasCs[0], float(1.0 / std::sqrt(1.36)));
  EXPECT_FLOAT_EQ(t.aliasCa[0], float(-0.6 / std::sqrt(1.36)));
  EXPECT_FLOAT_EQ(t.matrixing[0], float(0.5 / std::cos(3.14159265358979323846 / 64.0)));
  EXPECT_FLOAT_EQ(t.matrixing[30], float(0.5 / std::cos(3.14159265358979323846 / 4.0)));
}

TEST(ComputedTables, IntensityFactors) {
  const mpeg::DecoderTables& t = mpeg::decoderTables();
  const float root2 = float(std::sqrt(2.0));
  EXPECT_FLOAT_EQ(t.intensityMpeg1[0][0][0], 0.0f);
  EXPECT_FLOAT_EQ(t.intensityMpeg1[0][0][1], 1.0f);
  EXPECT_FLOAT_EQ(t.intensityMpeg1[1][0][1], root2);
  EXPECT_FLOAT_EQ(t.intensityMpeg1[0][3][0], 0.5f);
  EXPECT_FLOAT_EQ(t.intensityMpeg1[0][3][1], 0.5f);
  EXPECT_NEAR(t.intensityMpeg1[0][6][0], 1.0f, 1e-6);
  EXPECT_NEAR(t.intensityMpeg1[0][6][1], 0.0f, 1e-6);
  EXPECT_EQ(t.intensityMpeg1[0][7][0], 1.0f);
  EXPECT_EQ(t.intensityMpeg1[0][7][1], 0.0f);
  EXPECT_EQ(t.intensityMpeg1[1][7][1], 1.0f);
  // Low sampling frequencies, slen 2 (entries 3..6), scale 0: 2^(-1/4) steps.
  const int base = mpeg::intensityLsfBase(2);
  EXPECT_FLOAT_EQ(t.intensityLsf[0][0][base + 0][0], 1.0f);
  EXPECT_FLOAT_EQ(t.intensityLsf[0][0][base + 1][0], float(std::pow(2.0, -0.25)));
  EXPECT_FLOAT_EQ(t.intensityLsf[0][0][base + 1][1], 1.0f);
  EXPECT_FLOAT_EQ(t.intensityLsf[0][0][base + 2][1], float(std::pow(2.0, -0.25)));
  EXPECT_FLOAT_EQ(t.intensityLsf[1][1][base + 2][1], float(std::sqrt(2.0) * std::pow(2.0, -0.5)));
  EXPECT_EQ(t.intensityLsf[0][0][base + 3][0], 1.0f);  // illegal
  EXPECT_EQ(t.intensityLsf[0][0][base + 3][1], 0.0f);
  EXPECT_EQ(t.intensityLsf[0][1][base + 3][1], 1.0f);
  EXPECT_EQ(t.intensityLsf[0][0][mpeg::intensityLsfBase(0)][1],
            0.0f);  // slen 0: only the illegal position
}

// ---- Against the checked table data ----

TEST(TableData, Huffman) {
  REQUIRE_TABLE_DATA(lines, "huffman.txt");
  int table = -2, count1 = -1;
  int checked = 0;
  for (const Words& w : lines) {
    if (w[0] == "table") {
      table = std::stoi(w[1]);
      count1 = -1;
      if (w[2] == "unused") {
        EXPECT_EQ(mpeg::kHuffmanTables[table].dimension, -1);
      }
      if (w.back() == "zero") {
        EXPECT_EQ(mpeg::kHuffmanTables[table].dimension, 0);
      }
      if (w.size() >= 6 && w[2] == "dim") {
        EXPECT_EQ(mpeg::kHuffmanTables[table].dimension, std::stoi(w[3]));
        EXPECT_EQ(mpeg::kHuffmanTables[table].linbits, std::stoi(w[5]));
      }
      if (w[w.size() - 2] == "same-codes-as") {
        EXPECT_EQ(mpeg::kHuffmanTables[table].codes,
                  mpeg::kHuffmanTables[std::stoi(w.back())].codes);
      }
    } else if (w[0] == "count1") {
      count1 = w[1] == "A" ? 0 : 1;
    } else if (count1 >= 0) {
      const int index =
          8 * std::stoi(w[0]) + 4 * std::stoi(w[1]) + 2 * std::stoi(w[2]) + std::stoi(w[3]);
      EXPECT_EQ(codeString(mpeg::kCount1Codes[count1][index]), w[5]);
      ++checked;
    } else {
      const auto& t = mpeg::kHuffmanTables[table];
      const int index = std::stoi(w[0]) * t.dimension + std::stoi(w[1]);
      EXPECT_EQ(codeString(t.codes[index]), w[3]) << "table " << table;
      ++checked;
    }
  }
  EXPECT_GT(checked, 1000);
}

TEST(TableData, ScaleFactorBands) {
  REQUIRE_TABLE_DATA(lines, "sfb.txt");
  for (const Words& w : lines) {
    const auto& b = mpeg::kScaleFactorBands[bandIndex(std::stoi(w[0]))];
    const bool isLong = w[1] == "long";
    ASSERT_EQ(w.size(), std::size_t(isLong ? 25 : 16));
    for (std::size_t i = 2; i < w.size(); ++i)
      EXPECT_EQ(isLong ? b.longBoundary[i - 2] : b.shortBoundary[i - 2], std::stoi(w[i])) << w[0];
  }
}

TEST(TableData, PretabPartitionsAndSlen) {
  REQUIRE_TABLE_DATA(pretab, "pretab.txt");
  for (const Words& w : pretab) {
    if (w[0] == "pretab") {
      for (int i = 0; i < 21; ++i) EXPECT_EQ(mpeg::kPretab[i], std::stoi(w[1 + i]));
    }
    if (w[0] == "scfsi_groups") {
      for (int i = 0; i < 5; ++i) EXPECT_EQ(mpeg::kScfsiBandStart[i], std::stoi(w[1 + i]));
    }
  }
  const auto partitions = tableFile("sf_partitions.txt");
  const std::map<std::string, int> kinds = {{"long", 0}, {"short", 1}, {"mixed", 2}};
  for (const Words& w : partitions) {
    if (w[0] == "partition") {
      for (int i = 0; i < 4; ++i)
        EXPECT_EQ(mpeg::kLsfPartitionCounts[std::stoi(w[1])][kinds.at(w[2])][i],
                  std::stoi(w[3 + i]));
    } else if (w[0] == "slen") {
      EXPECT_EQ(mpeg::kSlen[std::stoi(w[1])][0], std::stoi(w[2]));
      EXPECT_EQ(mpeg::kSlen[std::stoi(w[1])][1], std::stoi(w[3]));
    }
  }
}

TEST(TableData, LsfScalefacCompress) {
  REQUIRE_TABLE_DATA(lines, "lsf_scalefac_compress.txt");
  ASSERT_EQ(lines.size(), 512u);
  for (const Words& w : lines) {
    const mpeg::LsfCompression c = mpeg::lsfCompression(std::stoi(w[0]), false);
    EXPECT_EQ(c.table, std::stoi(w[1])) << w[0];
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.slen[i], std::stoi(w[2 + i])) << w[0];
    EXPECT_EQ(c.preflag, std::stoi(w[6])) << w[0];
  }
}

TEST(TableData, SynthesisWindow) {
  REQUIRE_TABLE_DATA(lines, "window.txt");
  ASSERT_EQ(lines.size(), 512u);
  for (const Words& w : lines)
    EXPECT_EQ(mpeg::kSynthesisWindowTimes65536[std::stoi(w[0])], std::stoi(w[2]));
}

TEST(TableData, Rates) {
  REQUIRE_TABLE_DATA(lines, "rates.txt");
  const std::map<std::string, int> versions = {{"mpeg1", 1}, {"mpeg2", 2}, {"mpeg2.5", 3}};
  for (const Words& w : lines) {
    if (w[0] == "samplerate") {
      for (int i = 0; i < 3; ++i)
        EXPECT_EQ(mpeg::sampleRateHz(versions.at(w[1]), i), std::stoi(w[2 + i]));
    } else if (w[0] == "bitrate") {
      const int layer = w[1] == "layer3" ? 3 : 2;
      const int version = versions.at(w[2]);
      for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(mpeg::bitrateKbps(version, layer, i), std::stoi(w[3 + i]));
        if (version == 2) {
          EXPECT_EQ(mpeg::bitrateKbps(3, layer, i), std::stoi(w[3 + i]));
        }
      }
    }
  }
}

TEST(TableData, Layer12ScaleFactors) {
  REQUIRE_TABLE_DATA(lines, "layer12_scalefactors.txt");
  for (const Words& w : lines)
    EXPECT_FLOAT_EQ(mpeg::decoderTables().layer12ScaleFactor[std::stoi(w[0])],
                    float(32768.0 * std::stod(w[1])));
}

TEST(TableData, Layer2Allocation) {
  REQUIRE_TABLE_DATA(lines, "layer2_alloc.txt");
  const std::map<std::string, int> names = {
      {"B.2a", 0}, {"B.2b", 1}, {"B.2c", 2}, {"B.2d", 3}, {"LSF", 4}};
  int table = -1, classes = 0;
  for (const Words& w : lines) {
    if (w[0] == "table") {
      table = names.at(w[1]);
      EXPECT_EQ(mpeg::kLayer2AllocationTables[table].sblimit, std::stoi(w[3]));
    } else if (w[0] == "class") {
      const auto& c = mpeg::kLayer2Classes[classes++];
      EXPECT_EQ(c.levels, std::stoi(w[1]));
      EXPECT_EQ(c.bits, std::stoi(w[2]));
      EXPECT_EQ(c.grouped, w[3] == "G" ? 1 : 0);
    } else {
      const auto& t = mpeg::kLayer2AllocationTables[table];
      const int sb = std::stoi(w[0]);
      EXPECT_EQ(t.nbal[sb], std::stoi(w[1]));
      for (std::size_t a = 2; a < w.size(); ++a) {
        const auto& c = mpeg::kLayer2Classes[t.classIndex[sb][a - 1]];
        std::ostringstream text;
        text << c.levels << '/' << c.bits << '/' << (c.grouped ? 'G' : 'U');
        EXPECT_EQ(text.str(), w[a]) << table << " " << sb;
      }
    }
  }
  EXPECT_EQ(classes, 17);
  const auto choice = tableFile("layer2_table_choice.txt");
  const std::map<std::string, int> modes = {{"stereo", 0}, {"joint", 1}, {"dual", 2}, {"mono", 3}};
  const std::map<int, int> rates = {{44100, 0}, {48000, 1}, {32000, 2}};
  for (const Words& w : choice)
    for (int i = 0; i < 16; ++i)
      EXPECT_EQ(mpeg::kLayer2TableChoice[modes.at(w[0])][rates.at(std::stoi(w[1]))][i],
                w[2 + i] == "x" ? -1 : std::stoi(w[2 + i]));
}

}  // namespace
