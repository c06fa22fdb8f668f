// Damaged files of the formats FFmpeg's libraries decode for us (FLAC, AAC
// and ALAC in M4A, Ogg Vorbis, Opus, AIFF, WMA), made by make_inputs.sh with
// ffmpeg: cut short, holed with zeros, bit-flipped, their headers
// overwritten. The analysis must end every time, complete with no more
// audio than the intact file holds or failed with a reason; a file cut
// short never counts as whole where its format states its length.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/default_tempo_estimator.h"
#include "engine/file_analysis.h"
#include "tests/analysis/test_files.h"

namespace {

std::string InputFolder() {
  const char* folder = std::getenv("TEMPYRA_DAMAGED_INPUTS");
  return folder != nullptr ? folder : "";
}

Bytes Load(const std::string& name) {
  std::ifstream f(InputFolder() + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct Outcome {
  FileAnalysis analysis;
};

Outcome Analyse(const std::string& name, const Bytes& bytes) {
  Outcome o;
  DefaultTempoEstimator estimator;
  o.analysis =
      AnalyseFile(WriteTempFile(name, bytes), AudioFormats::kEveryFormat, estimator, nullptr);
  return o;
}

bool Failed(const Outcome& o) {
  return o.analysis.status != FileAnalysis::Status::kComplete;
}

struct Format {
  const char* name;
  bool statesItsLength;  // a cut file cannot pass for a whole one
};

const Format kFormats[] = {
    {"fmt_44k.flac", true}, {"fmt_44k.m4a", true},   {"fmt_44k_alac.m4a", true},
    {"fmt_44k.ogg", false}, {"fmt_48k.opus", false}, {"fmt_44k.aiff", true},
    {"fmt_44k.wma", true},
};

#define LOAD_OR_SKIP(bytes, name)                                                 \
  if (InputFolder().empty()) GTEST_SKIP() << "TEMPYRA_DAMAGED_INPUTS is not set"; \
  const Bytes bytes = Load(name);                                                 \
  ASSERT_GT(bytes.size(), 10000u) << name << " is missing in " << InputFolder()

// The damaged file's outcome against the intact one's: a reason when it
// failed, else no more audio than it has.
void ExpectSound(const Outcome& damaged, const Outcome& intact, const std::string& what) {
  if (Failed(damaged)) {
    EXPECT_FALSE(damaged.analysis.error.empty()) << what;
    return;
  }
  EXPECT_LE(damaged.analysis.sampleFrames, intact.analysis.sampleFrames + 4096) << what;
}

}  // namespace

TEST(DamagedFormats, CutShortEndsWithAReasonOrLess) {
  for (const Format& format : kFormats) {
    LOAD_OR_SKIP(bytes, format.name);
    const Outcome intact = Analyse(format.name, bytes);
    ASSERT_FALSE(Failed(intact)) << format.name << ": " << intact.analysis.error;
    for (double share : {0.0005, 0.01, 0.1, 0.5, 0.9}) {
      const auto cut = static_cast<size_t>(share * static_cast<double>(bytes.size()));
      const std::string what = std::string(format.name) + " cut at " + std::to_string(cut);
      const Outcome o =
          Analyse(format.name, Bytes(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
      std::printf("%s: %s\n", what.c_str(), Failed(o) ? o.analysis.error.c_str() : "complete");
      ExpectSound(o, intact, what);
      if (format.statesItsLength && share <= 0.9) {
        EXPECT_TRUE(Failed(o)) << what;
      }
    }
  }
}

TEST(DamagedFormats, HolesAndFlippedBitsCostLittle) {
  std::mt19937 random(26);
  for (const Format& format : kFormats) {
    LOAD_OR_SKIP(bytes, format.name);
    const Outcome intact = Analyse(format.name, bytes);
    ASSERT_FALSE(Failed(intact)) << format.name;
    Bytes holed = bytes;
    std::fill(holed.begin() + static_cast<long>(holed.size() / 2),
              holed.begin() + static_cast<long>(holed.size() / 2 + 2048), 0);
    Bytes flipped = bytes;
    for (int i = 0; i < 32; ++i) {
      const size_t at = holed.size() / 10 + random() % (holed.size() * 8 / 10);
      flipped[at] = static_cast<uint8_t>(flipped[at] ^ (1u << (random() % 8)));
    }
    for (const auto& [kind, damaged] : {std::pair{"holed", holed}, std::pair{"flipped", flipped}}) {
      const std::string what = std::string(format.name) + " " + kind;
      const Outcome o = Analyse(format.name, damaged);
      std::printf("%s: %s\n", what.c_str(), Failed(o) ? o.analysis.error.c_str() : "complete");
      ExpectSound(o, intact, what);
    }
  }
}

TEST(DamagedFormats, OverwrittenHeadersFailWithAReason) {
  std::mt19937 random(2026);
  for (const Format& format : kFormats) {
    LOAD_OR_SKIP(bytes, format.name);
    Bytes damaged = bytes;
    for (size_t i = 8; i < 200; ++i) damaged[i] = static_cast<uint8_t>(random());
    const Outcome o = Analyse(format.name, damaged);
    std::printf("%s header: %s\n", format.name, Failed(o) ? o.analysis.error.c_str() : "complete");
    const Outcome intact = Analyse(format.name, bytes);
    ExpectSound(o, intact, format.name);
  }
}
