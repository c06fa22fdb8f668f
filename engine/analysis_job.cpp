// The analysis job and its worker. See analysis_job.h.
#include "engine/analysis_job.h"

#include "engine/audio_source.h"
#include "engine/file_analysis.h"
#include "engine/tempo_estimation.h"
#include "platform/idle_priority.h"

AnalysisJob::~AnalysisJob() {
  Stop();
}

bool AnalysisJob::Start(MessageTarget* target, const std::string& path) {
  Stop();
  target_ = target;
  path_ = path;
  preciseRun_ = preciseRequested_;
  if (preciseRun_ && precise_ == nullptr) precise_ = std::make_unique<PreciseTempoEstimator>();
  stopRequested_.store(false);
  progress_.store(0);
  try {
    thread_ = std::thread(&AnalysisJob::AnalysisWorker, this);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

// The worker checks the flag once per block, and the audio source checks it
// while it scans damaged stretches, so the wait is short and always ends;
// there is no forced termination of a thread.
void AnalysisJob::Stop() {
  if (!thread_.joinable()) return;
  stopRequested_.store(true);
  thread_.join();
}

double AnalysisJob::EstimateTempo() {
  confidence_ = alternative_ = alternativeConfidence_ = std::numeric_limits<double>::quiet_NaN();
  const double standard = ::EstimateTempo(detector_.PeriodicitySpectrum(), sampleRate_,
                                          kSearchMinTempo, kSearchMaxTempo);
  if (!preciseRun_) return standard;
  // The standard value is one piece of the precise estimator's evidence.
  precise_->SetStandardTempo(standard);
  const TempoEstimate estimate = precise_->Estimate();
  confidence_ = estimate.confidence;
  alternative_ = estimate.alternative;
  alternativeConfidence_ = estimate.alternativeConfidence;
  return estimate.bpm;
}

ReadPosition AnalysisJob::Progress() const {
  const uint64_t packed = progress_.load(std::memory_order_acquire);
  return {static_cast<uint32_t>(packed >> 32), static_cast<uint32_t>(packed)};
}

void AnalysisJob::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (target_ != nullptr) target_->Post(message, wParam, lParam);
}

void AnalysisJob::AnalysisWorker(AnalysisJob* job) {
  AudioSource source;
  source.SetCancelFlag(&job->stopRequested_);
  LowerThreadToIdlePriority();
  source.Open(job->path_);  // a failed open yields no block below
  job->detector_.Reset();
  TempoEstimator* precise = job->preciseRun_ ? job->precise_.get() : nullptr;
  if (precise != nullptr) precise->Reset();
  auto progress = [](void* context, uint32_t index, uint32_t total, ReadPosition position) {
    auto* self = static_cast<AnalysisJob*>(context);
    self->progress_.store(uint64_t{position.done} << 32 | position.total,
                          std::memory_order_release);
    self->Post(kAnalysisProgress, index, static_cast<intptr_t>(total));
  };
  FileAnalysis result =
      ReadMpegBlocks(source, job->detector_, &job->stopRequested_, progress, job, precise);
  source.Close();
  if (result.status == FileAnalysis::Status::kStopped) return;
  job->sampleRate_ = result.sampleRate;
  job->Post(result.status == FileAnalysis::Status::kComplete ? kAnalysisDone : kAnalysisFailed, 0,
            0);
}
