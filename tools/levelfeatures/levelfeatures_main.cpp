// tempyra-levelfeatures: analyses audio files as `tempyra-cli analyze
// --precise` does and prints, for each, the beat-level candidates the
// precise estimator weighed and the evidence it had for each, one line a
// candidate, tab-separated:
//
//   FILE  STANDARD_BPM  CANDIDATE_BPM  FEATURE...
//
// (the features in BeatLevel::Feature's order; STANDARD_BPM is "nan" when
// the standard estimator gave none). A file that cannot be analysed gets
// one line "FILE  failed". Used by eval/fit_beat_level.py to refit the
// decision's weights.
//
//   tempyra-levelfeatures FILE...
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/file_analysis.h"
#include "engine/precise_tempo_estimator.h"
#include "engine/tempo_detector.h"
#include "engine/tempo_estimation.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tempyra-levelfeatures FILE...\n");
    return 2;
  }
  PreciseTempoEstimator precise;
  int failures = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string path = argv[i];
    const FileAnalysis a = AnalyseFile(path, AudioFormats::kMpegAndWave, precise, nullptr);
    if (a.status != FileAnalysis::Status::kComplete) {
      std::printf("%s\tfailed\n", path.c_str());
      ++failures;
      continue;
    }
    const TempoEstimate estimate = precise.Estimate();
    const double standard = precise.StandardTempo();
    if (!std::isfinite(estimate.bpm)) {
      std::printf("%s\tfailed\n", path.c_str());
      ++failures;
      continue;
    }
    for (const BeatLevel::Candidate& c : precise.LastLevel().candidates) {
      std::printf("%s\t%.4f\t%.4f", path.c_str(), standard, c.bpm);
      for (double f : c.features) std::printf("\t%.6g", f);
      std::printf("\n");
    }
    std::fflush(stdout);
  }
  return failures == 0 ? 0 : 1;
}
