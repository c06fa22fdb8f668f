// AnalysisSlots: several analyses side by side, for a run on every core
// (Project > Use All Cores). Slot k is a TrackAnalysis of its own; its
// messages reach the dialog as kSlotMessage with wParam k and lParam the
// analysis' own message (AnalysisJob::kAnalysisProgress, kAnalysisDone,
// kAnalysisFailed), so that one message loop serves every slot. Progress
// details are read from the slot (TrackAnalysis::Progress).
//
// EngineAnalysisSlots holds one engine analysis per slot; destroying it
// (or Stop) stops every running worker.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/message_target.h"
#include "ui/engine_track_analysis.h"
#include "ui/track_analysis.h"

class AnalysisSlots {
 public:
  static constexpr uint32_t kSlotMessage = 1042;

  virtual ~AnalysisSlots() = default;
  virtual int Count() const = 0;
  virtual TrackAnalysis& Slot(int slot) = 0;
};

// A message target that hands a slot's messages on as kSlotMessage.
class SlotMessageTarget : public MessageTarget {
 public:
  SlotMessageTarget(MessageTarget& target, int slot) : target_(target), slot_(slot) {}
  void Post(uint32_t message, uintptr_t, intptr_t) override {
    target_.Post(AnalysisSlots::kSlotMessage, static_cast<uintptr_t>(slot_),
                 static_cast<intptr_t>(message));
  }

 private:
  MessageTarget& target_;
  int slot_;
};

class EngineAnalysisSlots : public AnalysisSlots {
 public:
  // `count` slots (at least one) posting to `target`, which must outlive
  // this object.
  EngineAnalysisSlots(MessageTarget& target, int count);
  ~EngineAnalysisSlots() override { Stop(); }

  int Count() const override { return static_cast<int>(analyses_.size()); }
  TrackAnalysis& Slot(int slot) override { return *analyses_.at(static_cast<size_t>(slot)); }
  void Stop();

 private:
  std::vector<std::unique_ptr<SlotMessageTarget>> targets_;
  std::vector<std::unique_ptr<EngineTrackAnalysis>> analyses_;
};
