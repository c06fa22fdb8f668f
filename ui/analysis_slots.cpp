// Several analyses side by side. See analysis_slots.h.
#include "ui/analysis_slots.h"

#include <algorithm>

EngineAnalysisSlots::EngineAnalysisSlots(MessageTarget& target, int count) {
  count = std::max(count, 1);
  for (int slot = 0; slot < count; ++slot) {
    targets_.push_back(std::make_unique<SlotMessageTarget>(target, slot));
    analyses_.push_back(std::make_unique<EngineTrackAnalysis>(*targets_.back()));
  }
}

void EngineAnalysisSlots::Stop() {
  for (const auto& analysis : analyses_) analysis->Stop();
}
