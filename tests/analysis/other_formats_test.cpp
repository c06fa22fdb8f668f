// The formats that are not MPEG audio, decoded through FFmpeg's libraries,
// on files made here by Debian's ffmpeg and sox: a click track at 120 BPM
// as WAVE, then encoded as FLAC, ALAC and AAC in M4A, Ogg Vorbis, Opus, AIFF,
// AIFF-C, 24-bit and floating-point WAVE and WMA. Lossless files must give
// back the WAVE's samples exactly; every file must give the WAVE's tempo.
// With only MPEG audio and WAVE taken, the same files fail as before.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "engine/analysis_job.h"
#include "engine/audio_file_names.h"
#include "engine/default_tempo_estimator.h"
#include "engine/ffmpeg_audio.h"
#include "engine/file_analysis.h"
#include "engine/pcm_wave.h"
#include "engine/tempo_estimation.h"
#include "tests/analysis/test_files.h"

namespace {

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool RunQuietly(const std::string& command) {
  return std::system((command + " </dev/null >/dev/null 2>&1").c_str()) == 0;
}

// 40 seconds of clicks (a 1 kHz burst of 10 ms every half second) in stereo
// 44100 Hz 16-bit WAVE, made by ffmpeg once for the whole test program.
const std::string& ClickWave() {
  static const std::string path = [] {
    const std::string wave = TempPath("clicks.wav");
    const bool made = RunQuietly(
        "ffmpeg -v error -y -f lavfi -i "
        "\"aevalsrc='if(lt(mod(t,0.5),0.01),0.8*sin(2*PI*1000*t),0)|"
        "if(lt(mod(t,0.5),0.01),0.6*sin(2*PI*1000*t),0)':s=44100:d=40\" "
        "-c:a pcm_s16le '" +
        wave + "'");
    EXPECT_TRUE(made) << "ffmpeg could not make the click track (make test installs it)";
    return wave;
  }();
  return path;
}

// The click track converted by `command` (which reads IN and writes OUT).
std::string Converted(const std::string& name, const std::string& command) {
  const std::string out = TempPath(name);
  std::string line = command;
  line.replace(line.find("IN"), 2, "'" + ClickWave() + "'");
  line.replace(line.find("OUT"), 3, "'" + out + "'");
  EXPECT_TRUE(RunQuietly(line)) << line;
  return out;
}

std::string ByFfmpeg(const std::string& name, const std::string& options) {
  return Converted(name, "ffmpeg -v error -y -i IN " + options + " OUT");
}

// The WAVE's sample bytes.
Bytes WaveSamples(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  PcmWave wave;
  if (!FindPcmWave(bytes.data(), static_cast<uint32_t>(bytes.size()), &wave)) return {};
  return Bytes(bytes.begin() + wave.dataOffset,
               bytes.begin() + wave.dataOffset + static_cast<std::ptrdiff_t>(wave.dataBytes));
}

// Every byte of PCM the FFmpeg layer decodes from the file.
Bytes DecodedSamples(const std::string& path, uint32_t* rate, uint32_t* channels) {
  FfmpegAudio audio;
  EXPECT_TRUE(audio.Open(path)) << audio.LastError();
  Bytes pcm;
  while (const PcmBlock* block = audio.NextBlock()) {
    *rate = static_cast<uint32_t>(block->info.outSampleRate);
    *channels = static_cast<uint32_t>(block->info.outChannels);
    pcm.insert(pcm.end(), block->pcm, block->pcm + block->pcmBytes);
  }
  EXPECT_TRUE(audio.Complete()) << audio.LastError();
  return pcm;
}

double TempoOf(const std::string& path, AudioFormats formats, FileAnalysis* analysis) {
  DefaultTempoEstimator estimator;
  *analysis = AnalyseFile(path, formats, estimator, nullptr);
  if (analysis->status != FileAnalysis::Status::kComplete) return NAN;
  return EstimateTempo(estimator.Detector().PeriodicitySpectrum(), analysis->sampleRate,
                       kSearchMinTempo, kSearchMaxTempo);
}

struct Encoding {
  const char* name;
  std::string (*make)();
  uint32_t rate;
};

const Encoding kEncodings[] = {
    {"clicks.flac", [] { return ByFfmpeg("clicks.flac", ""); }, 44100},
    {"alac.m4a", [] { return ByFfmpeg("alac.m4a", "-c:a alac"); }, 44100},
    {"aac.m4a", [] { return ByFfmpeg("aac.m4a", "-c:a aac -b:a 128k"); }, 44100},
    {"clicks.ogg", [] { return ByFfmpeg("clicks.ogg", "-c:a libvorbis"); }, 44100},
    {"clicks.opus", [] { return ByFfmpeg("clicks.opus", "-c:a libopus"); }, 48000},
    {"clicks.wma", [] { return ByFfmpeg("clicks.wma", "-c:a wmav2"); }, 44100},
    {"clicks.aiff", [] { return Converted("clicks.aiff", "sox IN OUT"); }, 44100},
    {"clicks.aifc", [] { return Converted("clicks.aifc", "sox IN -e signed -b 16 OUT"); }, 44100},
    {"s24.wav", [] { return Converted("s24.wav", "sox IN -b 24 OUT"); }, 44100},
    {"float.wav", [] { return Converted("float.wav", "sox IN -e floating-point -b 32 OUT"); },
     44100},
    {"mono22k.flac", [] { return ByFfmpeg("mono22k.flac", "-ac 1 -ar 22050"); }, 22050},
};

}  // namespace

TEST(OtherFormats, EveryEncodingGivesTheWavesTempoAndLength) {
  FileAnalysis wave;
  const double reference = TempoOf(ClickWave(), AudioFormats::kMpegAndWave, &wave);
  ASSERT_EQ(wave.status, FileAnalysis::Status::kComplete);
  ASSERT_NEAR(reference, 120, 1);
  for (const Encoding& e : kEncodings) {
    SCOPED_TRACE(e.name);
    const std::string path = e.make();
    FileAnalysis a;
    const double tempo = TempoOf(path, AudioFormats::kEveryFormat, &a);
    ASSERT_EQ(a.status, FileAnalysis::Status::kComplete) << a.error;
    // The same to the detector's resolution (coarser at other rates).
    EXPECT_NEAR(tempo, reference, e.rate == 44100 ? 0.1 : 0.25);
    EXPECT_EQ(a.sampleRate, e.rate);
    // 40 s, give or take the encoders' priming and padding.
    EXPECT_NEAR(static_cast<double>(a.sampleFrames) / a.sampleRate, 40.0, 0.05);
  }
}

TEST(OtherFormats, LosslessFilesDecodeToTheWavesSamples) {
  const Bytes reference = WaveSamples(ClickWave());
  ASSERT_EQ(reference.size(), 40u * 44100 * 4);
  for (const char* name : {"lossless.flac", "lossless.m4a", "lossless.aiff"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(name) == "lossless.aiff"  ? Converted(name, "sox IN OUT")
                             : std::string(name) == "lossless.m4a" ? ByFfmpeg(name, "-c:a alac")
                                                                   : ByFfmpeg(name, "");
    uint32_t rate = 0, channels = 0;
    const Bytes decoded = DecodedSamples(path, &rate, &channels);
    EXPECT_EQ(rate, 44100u);
    EXPECT_EQ(channels, 2u);
    EXPECT_TRUE(decoded == reference) << decoded.size() << " bytes against " << reference.size();
  }
}

TEST(OtherFormats, SurroundIsMixedToStereo) {
  const std::string path =
      ByFfmpeg("surround.flac", "-af \"pan=5.1|FL=c0|FR=c1|FC=c0|LFE=c1|BL=c0|BR=c1\"");
  uint32_t rate = 0, channels = 0;
  const Bytes decoded = DecodedSamples(path, &rate, &channels);
  EXPECT_EQ(channels, 2u);
  EXPECT_EQ(decoded.size(), 40u * 44100 * 4);
  FileAnalysis a;
  EXPECT_NEAR(TempoOf(path, AudioFormats::kEveryFormat, &a), 120, 1);
}

// The window takes MPEG audio and WAVE only: a FLAC file named .mp3 fails
// with the recogniser's reason, as ever, in the analysis and in the job.
TEST(OtherFormats, OnlyMpegAndWaveTakenFailsAsBefore) {
  const std::string flac = ByFfmpeg("really-flac.mp3", "-f flac");
  FileAnalysis a;
  EXPECT_TRUE(std::isnan(TempoOf(flac, AudioFormats::kMpegAndWave, &a)));
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.error, "not MPEG audio (FLAC)");
  EXPECT_NEAR(TempoOf(flac, AudioFormats::kEveryFormat, &a), 120, 1);

  // Keeps the message that ended the file, and lets the test wait for it.
  struct Messages : MessageTarget {
    void Post(uint32_t message, uintptr_t, intptr_t) override {
      if (message == AnalysisJob::kAnalysisProgress) return;
      std::lock_guard<std::mutex> lock(mutex);
      last = message;
      posted.notify_all();
    }
    uint32_t WaitForLast() {
      std::unique_lock<std::mutex> lock(mutex);
      posted.wait_for(lock, std::chrono::minutes(10), [this] { return last != 0; });
      return last;
    }
    std::mutex mutex;
    std::condition_variable posted;
    uint32_t last = 0;
  };
  for (AudioFormats formats : {AudioFormats::kMpegAndWave, AudioFormats::kEveryFormat}) {
    Messages messages;
    AnalysisJob job;
    EXPECT_EQ(job.Formats(), AudioFormats::kMpegAndWave) << "the default";
    job.SetFormats(formats);
    ASSERT_TRUE(job.Start(&messages, flac));
    const uint32_t last = messages.WaitForLast();
    if (formats == AudioFormats::kMpegAndWave) {
      EXPECT_EQ(last, AnalysisJob::kAnalysisFailed);
    } else {
      ASSERT_EQ(last, AnalysisJob::kAnalysisDone);
      EXPECT_NEAR(job.EstimateTempo(), 120, 1);
    }
  }
}

TEST(OtherFormats, FailuresSayWhy) {
  // Text with a FLAC signature, a video without sound, and a file with no
  // signature at all (not named by the recogniser, so never given to FFmpeg).
  const std::string fake = WriteTempFile("fake.flac", Bytes{'f', 'L', 'a', 'C', 0, 0, 0, 0});
  FileAnalysis a;
  TempoOf(fake, AudioFormats::kEveryFormat, &a);
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.error.rfind("cannot read the FLAC file: ", 0), 0u) << a.error;

  const std::string silentFilm = TempPath("film.mp4");
  ASSERT_TRUE(RunQuietly("ffmpeg -v error -y -f lavfi -i color=red:s=32x32:d=1 -c:v mpeg4 '" +
                         silentFilm + "'"));
  TempoOf(silentFilm, AudioFormats::kEveryFormat, &a);
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.error, "the MP4 file holds no audio");

  const std::string noise = WriteTempFile("noise.ogg", Bytes(5000, 0x11));
  TempoOf(noise, AudioFormats::kEveryFormat, &a);
  EXPECT_EQ(a.status, FileAnalysis::Status::kNotOpened);
  EXPECT_EQ(a.error, "not MPEG audio (no MPEG audio frames found)");
}

// The read position for a progress bar: bytes of the file, never going
// back, ending at its size.
TEST(OtherFormats, ProgressFollowsTheFile) {
  struct Positions {
    static void Record(void* context, uint32_t, uint32_t, ReadPosition position) {
      static_cast<std::vector<ReadPosition>*>(context)->push_back(position);
    }
  };
  for (const char* name : {"progress.flac", "progress.m4a"}) {
    SCOPED_TRACE(name);
    const std::string path = ByFfmpeg(name, "");
    const auto size = static_cast<uint32_t>(ReadFile(path).size());
    std::vector<ReadPosition> positions;
    DefaultTempoEstimator estimator;
    const FileAnalysis a = AnalyseFile(path, AudioFormats::kEveryFormat, estimator, nullptr,
                                       Positions::Record, &positions);
    ASSERT_EQ(a.status, FileAnalysis::Status::kComplete) << a.error;
    ASSERT_GE(positions.size(), 5u);
    for (size_t i = 1; i < positions.size(); ++i) {
      EXPECT_GE(positions[i].done, positions[i - 1].done) << i;
      EXPECT_EQ(positions[i].total, size);
    }
    EXPECT_LE(positions.back().done, size);
    EXPECT_GT(positions.back().done, size / 2);
  }
}

TEST(AudioFileNames, EveryFormatWidensTheMpegAndWaveSet) {
  for (const char* name :
       {"a.mp3", "b.MP2", "c.mp1", "d.mpa", "e.mpga", "f.Wav", "g.rmp", "/music/sub.dir/h.mp3"}) {
    EXPECT_TRUE(IsAudioFileName(name, AudioFormats::kMpegAndWave)) << name;
    EXPECT_TRUE(IsAudioFileName(name, AudioFormats::kEveryFormat)) << name;
  }
  for (const char* name : {"a.flac", "b.M4A", "c.m4b", "d.mp4", "e.aac", "f.ogg", "g.oga", "h.opus",
                           "i.aif", "j.AIFF", "k.aifc", "l.wma"}) {
    EXPECT_FALSE(IsAudioFileName(name, AudioFormats::kMpegAndWave)) << name;
    EXPECT_TRUE(IsAudioFileName(name, AudioFormats::kEveryFormat)) << name;
  }
  for (const char* name :
       {"notes.txt", "flac", "mp3", ".", "", "cover.jpg", "a.mp3.part", "/music.flac/readme"}) {
    EXPECT_FALSE(IsAudioFileName(name, AudioFormats::kEveryFormat)) << name;
  }
}
