// `tempyra-cli analyze`: worker threads take the files in turn, each with a
// detector of its own; the main thread prints each result as soon as it and
// every result before it are known, so the output keeps the input order
// whatever the number of jobs.
#include "cli/analyze_command.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "cli/analyze_options.h"
#include "cli/file_collector.h"
#include "cli/result_format.h"
#include "engine/file_analysis.h"
#include "engine/precise_tempo_estimator.h"
#include "engine/tempo_estimation.h"
#include "engine/tempo_folding.h"

namespace {

TrackResult AnalyseOne(const CollectedFile& file, TempoDetector& detector,
                       PreciseTempoEstimator* precise, const AnalyzeOptions& options) {
  TrackResult r;
  r.path = file.path;
  if (!file.error.empty()) {
    r.reason = file.error;
    return r;
  }
  FileAnalysis a = AnalyseFile(file.path, detector, nullptr, precise);
  r.sampleRate = a.sampleRate;
  if (a.sampleRate != 0) r.durationSeconds = static_cast<double>(a.sampleFrames) / a.sampleRate;
  switch (a.status) {
    case FileAnalysis::Status::kNotOpened:
      r.reason = a.error.empty() ? "not an audio file we can read" : a.error;
      return r;
    case FileAnalysis::Status::kNoBlock:
      r.reason = "no audio could be decoded";
      return r;
    case FileAnalysis::Status::kIncomplete:
    case FileAnalysis::Status::kStopped:
      r.reason = a.error.empty() ? "decoding broke off before the end of the file" : a.error;
      return r;
    case FileAnalysis::Status::kComplete:
      break;
  }
  double tempo = EstimateTempo(detector.PeriodicitySpectrum(), a.sampleRate, 30.0, 240.0);
  if (precise != nullptr) {
    const TempoEstimate estimate = precise->Estimate();
    tempo = estimate.bpm;
    r.confidence = estimate.confidence;
  }
  if (!std::isfinite(tempo)) {
    r.reason = precise != nullptr
                   ? "no steady beat to measure (silent, or under a few seconds of audio)"
                   : "too short to measure a tempo (under about 30 seconds of audio)";
    return r;
  }
  r.ok = true;
  r.bpm = FoldTempo(tempo, options.minTempo, options.maxTempo);
  return r;
}

// The one-line progress display on a terminal's standard error.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : enabled_(enabled) {}
  void Show(size_t done, size_t total, const std::string& current) {
    if (!enabled_) return;
    std::string name = current;
    if (name.size() > 60) name = "..." + name.substr(name.size() - 57);
    std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done, total, name.c_str());
    std::fflush(stderr);
  }
  void Clear() {
    if (!enabled_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }

 private:
  bool enabled_;
};

}  // namespace

int RunAnalyzeCommand(const std::vector<std::string>& args) {
  AnalyzeOptions options;
  std::string error;
  if (!ParseAnalyzeOptions(args, &options, &error)) {
    std::fprintf(stderr, "tempyra-cli analyze: %s\n%s", error.c_str(), kAnalyzeUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kAnalyzeUsage, stdout);
    return 0;
  }
  const std::vector<CollectedFile> files = CollectFiles(options.paths);
  const size_t n = files.size();
  if (n == 0) {
    std::fprintf(stderr, "tempyra-cli analyze: no audio files found\n");
    return 1;
  }
  unsigned jobs =
      options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
  jobs = static_cast<unsigned>(std::min<size_t>(jobs, std::max<size_t>(n, 1)));

  std::vector<TrackResult> results(n);
  std::vector<bool> ready(n, false);
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  for (unsigned j = 0; j < jobs; ++j) {
    workers.emplace_back([&] {
      TempoDetector detector;
      PreciseTempoEstimator precise;
      for (size_t i = next++; i < n; i = next++) {
        TrackResult r =
            AnalyseOne(files[i], detector, options.precise ? &precise : nullptr, options);
        std::lock_guard<std::mutex> lock(mutex);
        results[i] = std::move(r);
        ready[i] = true;
        changed.notify_all();
      }
    });
  }

  ProgressLine progress(!options.quiet && isatty(STDERR_FILENO));
  const std::string header = FormatHeader(options.format);
  if (!header.empty()) std::printf("%s\n", header.c_str());
  bool anyFailed = false;
  for (size_t i = 0; i < n; ++i) {
    progress.Show(i, n, files[i].path);
    TrackResult r;
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [&] { return ready[i]; });
      r = std::move(results[i]);
      results[i] = TrackResult();  // a finished result keeps no memory
    }
    progress.Clear();
    if (!r.ok) {
      anyFailed = true;
      if (!options.quiet)
        std::fprintf(stderr, "tempyra-cli: %s: %s\n", r.path.c_str(), r.reason.c_str());
    }
    std::printf("%s\n", FormatResult(r, options.format).c_str());
    std::fflush(stdout);
  }
  progress.Clear();
  for (std::thread& t : workers) t.join();
  return anyFailed ? 1 : 0;
}
