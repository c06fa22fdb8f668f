// The analysis job and its worker. See analysis_job.h.
#include "engine/analysis_job.h"

#include "engine/audio_source.h"
#include "engine/tempo_estimation.h"
#include "platform/idle_priority.h"

AnalysisJob::~AnalysisJob() { Stop(); }

bool AnalysisJob::Start(MessageTarget* target, const std::string& path) {
  Stop();
  target_ = target;
  path_ = path;
  stopRequested_.store(false);
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
  return ::EstimateTempo(detector_.PeriodicitySpectrum(), sampleRate_, minTempo_,
                         maxTempo_);
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

  const PcmBlock* block = source.NextBlock();
  if (block == nullptr) {
    if (!job->stopRequested_.load()) job->Post(kAnalysisFailed, 0, 0);
    return;
  }
  job->sampleRate_ = static_cast<uint32_t>(block->info.outSampleRate);
  uint32_t total = 0, index = 0;
  while (!job->stopRequested_.load()) {
    const uint32_t frameBytes =
        static_cast<uint32_t>(block->info.outChannels * block->info.outBits / 8);
    job->detector_.FeedBlock(block->pcm, block->pcmBytes,
                             static_cast<uint32_t>(block->info.outSampleRate), frameBytes,
                             static_cast<uint32_t>(block->info.outChannels));
    if (block->blockIndex % kProgressEvery == 0)
      job->Post(kAnalysisProgress, block->blockIndex,
                static_cast<intptr_t>(static_cast<uint32_t>(block->info.totalFrames)));
    total = static_cast<uint32_t>(block->info.totalFrames);
    index = block->blockIndex;
    block = source.NextBlock();
    if (block == nullptr) break;
  }
  source.Close();
  if (job->stopRequested_.load()) return;
  // Share of the estimated frames left undecoded, in whole percent. A file
  // whose estimate is 0 frames cannot be judged and counts as failed.
  bool complete = total != 0 && (total - index) * 100u / total < 5u;
  job->Post(complete ? kAnalysisDone : kAnalysisFailed, 0, 0);
}
