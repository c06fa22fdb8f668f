// The choice of tempo estimator. See tempo_estimator_factory.h.
#include "engine/tempo_estimator_factory.h"

#include "engine/default_tempo_estimator.h"
#include "engine/precise_tempo_estimator.h"

std::unique_ptr<TempoEstimator> MakeTempoEstimator(bool precise) {
  if (precise) return std::make_unique<PreciseTempoEstimator>();
  return std::make_unique<DefaultTempoEstimator>();
}
