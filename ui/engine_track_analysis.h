// EngineTrackAnalysis: the dialog's TrackAnalysis over the engine's
// AnalysisJob, which it holds for its whole life. The worker runs at idle
// priority and posts to the given message target; destroying this object
// stops a running worker (within one block) and waits for it.
#pragma once

#include "engine/analysis_job.h"
#include "platform/message_target.h"
#include "ui/track_analysis.h"

class EngineTrackAnalysis : public TrackAnalysis {
 public:
  // The target must outlive this object.
  // The window analyses MPEG audio only unless told otherwise: a file of
  // another format fails with the recogniser's reason, whatever its name.
  explicit EngineTrackAnalysis(MessageTarget& target) : target_(target) {
    job_.SetFormats(AudioFormats::kMpegAndWave);
  }

  bool Start(const std::string& path) override { return job_.Start(&target_, path); }
  double EstimateTempo() override { return job_.EstimateTempo(); }
  ReadPosition Progress() const override { return job_.Progress(); }
  void SetPreciseTempo(bool on) override { job_.SetPreciseTempo(on); }
  void SetEveryFormat(bool on) override {
    job_.SetFormats(on ? AudioFormats::kEveryFormat : AudioFormats::kMpegAndWave);
  }
  double TempoConfidence() const override { return job_.TempoConfidence(); }
  double AlternativeTempo() const override { return job_.AlternativeTempo(); }
  // Stops a running worker now; nothing more is posted.
  void Stop() { job_.Stop(); }

 private:
  MessageTarget& target_;
  AnalysisJob job_;
};
