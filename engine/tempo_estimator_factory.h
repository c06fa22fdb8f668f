// MakeTempoEstimator: the one place that chooses which tempo estimator a run
// uses, so that callers hold a single TempoEstimator and feed only it.
//
//   precise false: DefaultTempoEstimator, the program's standard estimate
//                  (its value bit for bit that of TempoDetector followed by
//                  EstimateTempo over 30-240 BPM);
//   precise true:  PreciseTempoEstimator.
#pragma once

#include <memory>

#include "engine/tempo_estimator.h"

std::unique_ptr<TempoEstimator> MakeTempoEstimator(bool precise);
