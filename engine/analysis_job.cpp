// The analysis job and its worker. See analysis_job.h.
#include "engine/analysis_job.h"

#include "engine/audio_source.h"
#include "engine/file_analysis.h"
#include "engine/tempo_estimator_factory.h"
#include "platform/idle_priority.h"

AnalysisJob::~AnalysisJob() {
  Stop();
}

bool AnalysisJob::Start(MessageTarget* target, const std::string& path) {
  Stop();
  target_ = target;
  path_ = path;
  preciseRun_ = preciseRequested_;
  runFormats_ = formats_;
  if (estimator_ == nullptr || estimatorIsPrecise_ != preciseRun_) {
    estimator_ = MakeTempoEstimator(preciseRun_);
    estimatorIsPrecise_ = preciseRun_;
  }
  preciseEstimate_ = {std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::quiet_NaN()};
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
  if (preciseRun_) {
    confidence_ = preciseEstimate_.confidence;
    alternative_ = preciseEstimate_.alternative;
    alternativeConfidence_ = preciseEstimate_.alternativeConfidence;
    return preciseEstimate_.bpm;
  }
  if (estimator_ == nullptr) return std::numeric_limits<double>::quiet_NaN();
  return estimator_->Estimate().bpm;
}

ReadPosition AnalysisJob::Progress() const {
  const uint64_t packed = progress_.load(std::memory_order_acquire);
  return {static_cast<uint32_t>(packed >> 32), static_cast<uint32_t>(packed)};
}

void AnalysisJob::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (target_ != nullptr) target_->Post(message, wParam, lParam);
}

void AnalysisJob::AnalysisWorker(AnalysisJob* job) {
  LowerThreadToIdlePriority();
  TempoEstimator& estimator = *job->estimator_;
  auto progress = [](void* context, uint32_t index, uint32_t total, ReadPosition position) {
    auto* self = static_cast<AnalysisJob*>(context);
    self->progress_.store(uint64_t{position.done} << 32 | position.total,
                          std::memory_order_release);
    self->Post(kAnalysisProgress, index, static_cast<intptr_t>(total));
  };
  FileAnalysis result;
  if (job->runFormats_ == AudioFormats::kEveryFormat) {
    result = AnalyseFile(job->path_, AudioFormats::kEveryFormat, estimator, &job->stopRequested_,
                         progress, job);
  } else {
    AudioSource source;
    source.SetCancelFlag(&job->stopRequested_);
    source.Open(job->path_);  // a failed open yields no block below
    estimator.Reset();
    result = ReadMpegBlocks(source, estimator, &job->stopRequested_, progress, job);
  }
  if (result.status == FileAnalysis::Status::kStopped) return;
  job->sampleRate_ = result.sampleRate;
  const bool complete = result.status == FileAnalysis::Status::kComplete;
  // The precise estimate takes time that grows with the track: it is made
  // here, so that the owner's thread only reads it.
  if (complete && job->preciseRun_) job->preciseEstimate_ = estimator.Estimate();
  job->Post(complete ? kAnalysisDone : kAnalysisFailed, kLastMessageMark, 0);
}
