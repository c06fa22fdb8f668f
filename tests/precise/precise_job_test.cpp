// The precise estimate through the analysis job (the window's way in) and
// through whole-file analysis (the command line's), on the bundled demo
// tracks: off by default and bit for bit the standard value then; on, the
// tracks' own tempi to the hundredth.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>

#include "engine/analysis_job.h"
#include "engine/default_tempo_estimator.h"
#include "engine/file_analysis.h"
#include "engine/precise_tempo_estimator.h"
#include "engine/tempo_estimation.h"
#include "engine/tempo_estimator_factory.h"

namespace {

const std::string kDemo = TEMPYRA_DEMO_DIR;

// Waits for the job's last message.
class LastMessage : public MessageTarget {
 public:
  void Post(uint32_t id, uintptr_t, intptr_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id == AnalysisJob::kAnalysisDone || id == AnalysisJob::kAnalysisFailed) {
      last_ = id;
      changed_.notify_all();
    }
  }
  // The worker runs at idle priority: on a busy machine it may wait long.
  uint32_t Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::minutes(10), [&] { return last_ != 0; });
    return last_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  uint32_t last_ = 0;
};

double RunJob(AnalysisJob& job, const std::string& path) {
  LastMessage target;
  EXPECT_TRUE(job.Start(&target, path));
  EXPECT_EQ(target.Wait(), AnalysisJob::kAnalysisDone);
  return job.EstimateTempo();
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

TEST(PreciseJob, OffByDefaultOnWhenAskedForAndOffAgain) {
  const std::string house = kDemo + "/house-128bpm.mp3";
  DefaultTempoEstimator estimator;
  ASSERT_EQ(AnalyseFile(house, AudioFormats::kMpegAndWave, estimator, nullptr).status,
            FileAnalysis::Status::kComplete);
  const double standard =
      EstimateTempo(estimator.Detector().PeriodicitySpectrum(), 44100, 30.0, 240.0);

  AnalysisJob job;
  EXPECT_FALSE(job.PreciseTempo());
  EXPECT_TRUE(SameBits(RunJob(job, house), standard));
  EXPECT_TRUE(std::isnan(job.TempoConfidence()));
  EXPECT_TRUE(std::isnan(job.AlternativeTempo()));

  job.SetPreciseTempo(true);
  const double precise = RunJob(job, house);
  EXPECT_NEAR(precise, 128.0, 0.005);
  EXPECT_GT(job.TempoConfidence(), 0.0);
  EXPECT_LE(job.TempoConfidence(), 1.0);
  // The runner-up is another level of the same beats, less likely.
  ASSERT_TRUE(std::isfinite(job.AlternativeTempo()));
  EXPECT_GT(std::fabs(job.AlternativeTempo() / precise - 1.0), 0.1);
  EXPECT_GE(job.AlternativeConfidence(), 0.0);
  EXPECT_LT(job.AlternativeConfidence(), job.TempoConfidence());

  job.SetPreciseTempo(false);
  EXPECT_TRUE(SameBits(RunJob(job, house), standard));
  EXPECT_TRUE(std::isnan(job.TempoConfidence()));
  EXPECT_TRUE(std::isnan(job.AlternativeTempo()));
  EXPECT_TRUE(std::isnan(job.AlternativeConfidence()));
}

TEST(PreciseJob, DemoTracksAtTheirTempo) {
  // The factory's precise estimator through whole-file analysis, and the
  // job, whose worker makes the same estimate before it posts that the
  // file is done.
  AnalysisJob job;
  job.SetPreciseTempo(true);
  for (const auto& [name, bpm] : {std::pair<const char*, double>{"house-128bpm.mp3", 128.0},
                                  {"steady-140bpm.mp3", 140.0},
                                  {"breaks-174bpm.mp3", 174.0}}) {
    const std::string path = kDemo + "/" + name;
    const std::unique_ptr<TempoEstimator> precise = MakeTempoEstimator(true);
    ASSERT_EQ(AnalyseFile(path, AudioFormats::kMpegAndWave, *precise, nullptr).status,
              FileAnalysis::Status::kComplete)
        << name;
    const TempoEstimate estimate = precise->Estimate();
    EXPECT_NEAR(estimate.bpm, bpm, 0.015) << name;
    EXPECT_TRUE(SameBits(RunJob(job, path), estimate.bpm)) << name;
    EXPECT_TRUE(SameBits(job.TempoConfidence(), estimate.confidence)) << name;
  }
}

TEST(PreciseJob, FactoryChoosesOneEstimator) {
  // Standard: the detector and EstimateTempo alone, bit for bit; precise:
  // the precise estimator, fed alone.
  const std::string house = kDemo + "/house-128bpm.mp3";
  const std::unique_ptr<TempoEstimator> standard = MakeTempoEstimator(false);
  const std::unique_ptr<TempoEstimator> precise = MakeTempoEstimator(true);
  ASSERT_NE(dynamic_cast<DefaultTempoEstimator*>(standard.get()), nullptr);
  ASSERT_NE(dynamic_cast<PreciseTempoEstimator*>(precise.get()), nullptr);
  ASSERT_EQ(AnalyseFile(house, AudioFormats::kMpegAndWave, *standard, nullptr).status,
            FileAnalysis::Status::kComplete);
  DefaultTempoEstimator reference;
  ASSERT_EQ(AnalyseFile(house, AudioFormats::kMpegAndWave, reference, nullptr).status,
            FileAnalysis::Status::kComplete);
  const double alone =
      EstimateTempo(reference.Detector().PeriodicitySpectrum(), 44100, 30.0, 240.0);
  const TempoEstimate estimate = standard->Estimate();
  EXPECT_TRUE(SameBits(estimate.bpm, alone));
  EXPECT_NEAR(alone, 127.76, 0.005);
  EXPECT_TRUE(std::isnan(estimate.confidence));
  const FileAnalysis a = AnalyseFile(house, AudioFormats::kMpegAndWave, *precise, nullptr);
  ASSERT_EQ(a.status, FileAnalysis::Status::kComplete);
  EXPECT_NEAR(static_cast<PreciseTempoEstimator&>(*precise).SecondsFed(),
              static_cast<double>(a.sampleFrames) / a.sampleRate, 1e-9);
}
