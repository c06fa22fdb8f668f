// Whole-file analysis: PCM wave files straight into the detector, and what
// happens when a file shrinks under its mapping or claims absurd formats.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "engine/default_tempo_estimator.h"
#include "engine/file_analysis.h"
#include "tests/analysis/test_files.h"

namespace {

void PutLe(Bytes& b, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A 16-bit stereo PCM wave of clicks every half second (120 beats a minute).
Bytes ClickWave(uint32_t sampleRate, uint32_t seconds) {
  const uint32_t frames = sampleRate * seconds;
  Bytes b = {'R', 'I', 'F', 'F'};
  PutLe(b, 36 + frames * 4, 4);
  for (char c : std::string("WAVEfmt ")) b.push_back(static_cast<uint8_t>(c));
  PutLe(b, 16, 4);
  PutLe(b, 1, 2);
  PutLe(b, 2, 2);
  PutLe(b, sampleRate, 4);
  PutLe(b, sampleRate * 4, 4);
  PutLe(b, 4, 2);
  PutLe(b, 16, 2);
  for (char c : std::string("data")) b.push_back(static_cast<uint8_t>(c));
  PutLe(b, frames * 4, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const uint32_t sinceBeat = i % (sampleRate / 2);
    const double v =
        sinceBeat < 400 ? 20000.0 * std::exp(-sinceBeat / 80.0) * ((i & 1) ? 1 : -1) : 0;
    const auto s = static_cast<uint16_t>(static_cast<int16_t>(v));
    PutLe(b, s, 2);
    PutLe(b, s, 2);
  }
  return b;
}

bool SameSpectrum(const TempoDetector& a, const TempoDetector& b) {
  return std::memcmp(a.PeriodicitySpectrum(), b.PeriodicitySpectrum(),
                     TempoDetector::kPeriodicityBins * sizeof(double)) == 0;
}

}  // namespace

TEST(FileAnalysis, PcmWaveGoesStraightToTheDetector) {
  const std::string path = WriteTempFile("clicks.wav", ClickWave(22050, 35));
  DefaultTempoEstimator detector;
  FileAnalysis a = AnalyseFile(path, AudioFormats::kMpegAndWave, detector, nullptr);
  ASSERT_EQ(a.status, FileAnalysis::Status::kComplete);
  EXPECT_EQ(a.sampleRate, 22050u);
  EXPECT_EQ(a.channels, 2u);
  EXPECT_EQ(a.sampleFrames, 22050u * 35);
  double peak = 0;
  for (uint32_t i = 0; i < TempoDetector::kPeriodicityBins; ++i)
    peak = std::max(peak, detector.Detector().PeriodicitySpectrum()[i]);
  EXPECT_GT(peak, 0.0);
}

TEST(FileAnalysis, WaveShrinkingUnderTheMappingFailsAndLeavesTheDetectorSound) {
  const Bytes wave = ClickWave(22050, 35);
  const std::string path = WriteTempFile("shrinking.wav", wave);
  MappedFile file;
  ASSERT_TRUE(file.Open(path));
  PcmWave found;
  ASSERT_TRUE(FindPcmWave(file.Data(), file.Size(), &found));
  ASSERT_EQ(truncate(path.c_str(), 64 * 1024), 0);  // pages past 64 KiB are gone
  DefaultTempoEstimator detector;
  FileAnalysis cut = FeedPcmWave(file, found, detector, nullptr);
  EXPECT_EQ(cut.status, FileAnalysis::Status::kIncomplete);
  EXPECT_FALSE(cut.error.empty());
  EXPECT_LT(cut.sampleFrames, uint64_t{found.dataBytes} / 4);
  EXPECT_GE(cut.sampleFrames, uint64_t{1152} * 13);  // what lay before the cut was fed
  file.Close();

  // The same detector, reset, analyses a whole file exactly as a fresh one.
  const std::string whole = WriteTempFile("whole.wav", wave);
  DefaultTempoEstimator fresh;
  ASSERT_EQ(AnalyseFile(whole, AudioFormats::kMpegAndWave, detector, nullptr).status,
            FileAnalysis::Status::kComplete);
  ASSERT_EQ(AnalyseFile(whole, AudioFormats::kMpegAndWave, fresh, nullptr).status,
            FileAnalysis::Status::kComplete);
  EXPECT_TRUE(SameSpectrum(detector.Detector(), fresh.Detector()));
}

TEST(FileAnalysis, WaveWithAnAbsurdSamplingRateIsNotFedAsPcm) {
  // Segments are a sixteenth of a second: a rate of billions would make the
  // detector's buffers grow without bound.
  Bytes wave = ClickWave(8000, 1);
  const uint32_t absurd = 4000000000u;
  std::memcpy(wave.data() + 24, &absurd, 4);
  DefaultTempoEstimator detector;
  FileAnalysis a =
      AnalyseFile(WriteTempFile("absurd.wav", wave), AudioFormats::kMpegAndWave, detector, nullptr);
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.sampleFrames, 0u);
}

TEST(FileAnalysis, NamedPipeIsRefusedWithoutWaitingForAWriter) {
  const std::string path = TempPath("pipe.mp3");
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  DefaultTempoEstimator detector;
  FileAnalysis a =
      AnalyseFile(path, AudioFormats::kMpegAndWave, detector, nullptr);  // would block in open()
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_NE(a.error.find("cannot open"), std::string::npos) << a.error;
  AudioSource source;
  EXPECT_EQ(source.Open(path), AudioSource::kCannotOpen);
  unlink(path.c_str());
}

TEST(FileAnalysis, CompletenessCountsTheBlocksInFullWidth) {
  // 65,537 frames: the last block's 16-bit index is 0 and so is its estimate
  // of the frames, which a 16-bit count could not judge. MPEG-2.5 8 kbit/s
  // frames are the shortest (72 bytes).
  const FrameShape tiny{3, 1, 2, 0, 3};
  for (uint32_t frames : {65537u, 65536u + 41u}) {
    DefaultTempoEstimator detector;
    const FileAnalysis a = AnalyseFile(WriteTempFile("wide.mp3", SilentStream(tiny, frames)),
                                       AudioFormats::kMpegAndWave, detector, nullptr);
    EXPECT_EQ(a.status, FileAnalysis::Status::kComplete) << frames << " frames";
    EXPECT_EQ(a.sampleFrames, uint64_t{frames} * 576) << frames << " frames";
  }
}

TEST(FileAnalysis, ZeroPaddingAfterTheLastFrameIsNotMissingAudio) {
  const FrameShape cbr{};                 // 417 bytes
  const FrameShape loud{1, 14, 0, 0, 1};  // 320 kbit/s: 1044 bytes
  const FrameShape quiet{1, 1, 0, 0, 1};  // 32 kbit/s: 104 bytes
  const Bytes stream = SilentStreamEndingInData(cbr, 100);
  // A variable bit rate whose last frames are the shortest: 3 % of zeros
  // would be 30 frames of the last frame's length.
  const Bytes varying =
      Concat({SilentStreamEndingInData(loud, 100), SilentStreamEndingInData(quiet, 3)});
  // A download that stopped and kept its length: the zeros begin in the
  // middle of frame 90, which was cut off.
  Bytes zeroFilled = stream;
  std::fill(zeroFilled.begin() + 90 * 417 + 200, zeroFilled.end(), 0);
  struct Case {
    const char* name;
    Bytes bytes;
    FileAnalysis::Status status;
  } cases[] = {
      {"padded10.mp3", Concat({stream, Bytes(stream.size() / 10, 0)}),
       FileAnalysis::Status::kComplete},
      {"varying_padded3.mp3", Concat({varying, Bytes(varying.size() * 3 / 100, 0)}),
       FileAnalysis::Status::kComplete},
      {"junk10.mp3", Concat({stream, Bytes(stream.size() / 10, 0x5A)}),
       FileAnalysis::Status::kIncomplete},
      {"zero_filled.mp3", zeroFilled, FileAnalysis::Status::kIncomplete},
  };
  for (const Case& c : cases) {
    DefaultTempoEstimator detector;
    const FileAnalysis a =
        AnalyseFile(WriteTempFile(c.name, c.bytes), AudioFormats::kMpegAndWave, detector, nullptr);
    EXPECT_EQ(a.status, c.status) << c.name;
  }
}

TEST(FileAnalysis, ScatteredFrameHeadersAreNotAStream) {
  // Two frames that confirm each other, then a mebibyte of noise whose
  // stray headers decode one here, one there: not an MPEG stream, and not
  // a file that broke off either.
  std::mt19937 random(7);
  Bytes noise(1 << 20);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
  DefaultTempoEstimator detector;
  const FileAnalysis a =
      AnalyseFile(WriteTempFile("scattered.mp3", Concat({SilentStream(FrameShape{}, 2), noise})),
                  AudioFormats::kMpegAndWave, detector, nullptr);
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.error, "not MPEG audio (its frame headers are scattered, not a stream)");
}
