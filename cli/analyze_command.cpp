// `tempyra-cli analyze`: worker threads take the files in turn, each with a
// tempo estimator of its own; the main thread prints each result as soon as it and
// every result before it are known, so the output keeps the input order
// whatever the number of jobs.
#include "cli/analyze_command.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "cli/analyze_options.h"
#include "cli/file_collector.h"
#include "cli/output_stream.h"
#include "cli/result_format.h"
#include "cli/text_encoding.h"
#include "engine/file_analysis.h"
#include "engine/tempo_estimator_factory.h"
#include "engine/tempo_folding.h"
#include "platform/console.h"
#include "tags/tempo_tag.h"

namespace {

// Keeps a file's read position where the progress display can read it:
// done << 32 | total, in one atomic value.
void StorePosition(void* context, uint32_t, uint32_t, ReadPosition position) {
  static_cast<std::atomic<uint64_t>*>(context)->store(
      uint64_t{position.done} << 32 | position.total, std::memory_order_relaxed);
}

TrackResult AnalyseOne(const CollectedFile& file, TempoEstimator& estimator,
                       const AnalyzeOptions& options, const std::atomic<bool>* stop,
                       std::atomic<uint64_t>* position) {
  TrackResult r;
  r.path = file.path;
  if (!file.error.empty()) {
    r.reason = file.error;
    return r;
  }
  if (options.skipTagged) {
    const TempoTagReading tag = ReadTempoTag(file.path);
    if (tag.status == TempoTagReading::Status::kTempo) {
      r.ok = r.tagged = true;
      r.bpm = tag.bpm;
      return r;
    }
  }
  FileAnalysis a =
      AnalyseFile(file.path, AudioFormats::kEveryFormat, estimator, stop, StorePosition, position);
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
  const TempoEstimate estimate = estimator.Estimate();
  const double tempo = estimate.bpm;
  if (options.precise) r.confidence = estimate.confidence;
  if (!std::isfinite(tempo)) {
    r.reason = options.precise
                   ? "no steady beat to measure (silent, or under a few seconds of audio)"
                   : "too short to measure a tempo (under about 30 seconds of audio)";
    return r;
  }
  r.ok = true;
  r.bpm = FoldTempo(tempo, options.minTempo, options.maxTempo);
  if (std::isfinite(estimate.alternative)) {
    // Folded into the same range, the runner-up may fall onto the chosen
    // value or stay outside the range (a three-to-two relative has no
    // octave inside a narrow one): it is then no alternative within it.
    const double alternative = FoldTempo(estimate.alternative, options.minTempo, options.maxTempo);
    const bool inRange = (!options.minTempo || alternative >= *options.minTempo) &&
                         (!options.maxTempo || alternative <= *options.maxTempo);
    if (inRange && std::fabs(alternative / r.bpm - 1.0) > 0.02) {
      r.alternative = alternative;
      r.alternativeConfidence = estimate.alternativeConfidence;
    }
  }
  if (options.writeTag) {
    const TempoTagWriting written = WriteTempoTag(file.path, r.bpm, options.tagDecimals);
    if (written.ok)
      r.tagText = written.text;
    else
      r.tagError = written.error;
  }
  return r;
}

// The one-line progress display on a terminal's standard error. Each
// showing starts at the line's beginning and wipes what was there: with
// the erase escape, or where the terminal takes no escapes (an old Windows
// console) by padding the line with spaces to kPlainWidth.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled)
      : enabled_(enabled), escapes_(enabled && TerminalTakesEscapes(stderr)) {}
  // `position` is the current file's read position (done << 32 | total),
  // shown as a percentage once known.
  void Show(size_t done, size_t total, const std::string& current, uint64_t position) const {
    if (!enabled_) return;
    std::string name = QuoteName(current);
    if (name.size() > 60) {
      size_t cut = name.size() - 57;
      while (cut < name.size() && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) ++cut;
      name = "..." + name.substr(cut);  // from a character's first byte
    }
    const auto bytesDone = static_cast<uint32_t>(position >> 32);
    const auto bytesTotal = static_cast<uint32_t>(position);
    char count[64];
    if (bytesTotal != 0)
      std::snprintf(count, sizeof count, "[%zu/%zu] %3u%% ", done, total,
                    static_cast<unsigned>(uint64_t{bytesDone} * 100 / bytesTotal));
    else
      std::snprintf(count, sizeof count, "[%zu/%zu] ", done, total);
    std::string line = count + name;
    if (!escapes_ && line.size() < kPlainWidth) line.append(kPlainWidth - line.size(), ' ');
    std::fputs(escapes_ ? "\r\033[K" : "\r", stderr);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }
  void Clear() const {
    if (!enabled_) return;
    std::fputs(escapes_ ? "\r\033[K" : ("\r" + std::string(kPlainWidth, ' ') + "\r").c_str(),
               stderr);
    std::fflush(stderr);
  }

 private:
  static constexpr size_t kPlainWidth = 79;
  bool enabled_;
  bool escapes_;
};

}  // namespace

int RunAnalyzeCommand(const std::vector<std::string>& args) {
  AnalyzeOptions options;
  std::string error;
  if (!ParseAnalyzeOptions(args, &options, &error)) {
    std::fprintf(stderr, "tempyra-cli analyze: %s\n%s", error.c_str(), kAnalyzeUsage);
    return 2;
  }
  if (options.help) return PrintHelp(kAnalyzeUsage);
  const Collection collection = CollectFiles(options.paths);
  const std::vector<CollectedFile>& files = collection.files;
  // A folder that cannot be read may hide files: say so, and fail.
  for (const UnreadableFolder& folder : collection.unreadableFolders) {
    if (!options.quiet)
      std::fprintf(stderr, "tempyra-cli: cannot read folder %s: %s\n",
                   QuoteName(folder.path).c_str(), folder.reason.c_str());
  }
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
  std::vector<std::atomic<uint64_t>> positions(n);
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<size_t> next{0};
  // Set when the results can no longer be written: analysing on would be
  // work for nothing.
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  for (unsigned j = 0; j < jobs; ++j) {
    workers.emplace_back([&] {
      const std::unique_ptr<TempoEstimator> estimator = MakeTempoEstimator(options.precise);
      for (size_t i = next++; i < n && !stop.load(); i = next++) {
        TrackResult r = AnalyseOne(files[i], *estimator, options, &stop, &positions[i]);
        std::lock_guard<std::mutex> lock(mutex);
        results[i] = std::move(r);
        ready[i] = true;
        changed.notify_all();
      }
    });
  }

  ProgressLine progress(!options.quiet && IsTerminal(stderr));
  OutputStream out(stdout, "standard output");
  const std::string header = FormatHeader(options.format);
  if (!header.empty()) out.WriteLine(header);
  bool anyFailed = false;
  for (size_t i = 0; i < n && !out.Failed(); ++i) {
    TrackResult r;
    {
      // While the file is analysed, the display follows its read position.
      std::unique_lock<std::mutex> lock(mutex);
      for (;;) {
        progress.Show(i, n, files[i].path, positions[i].load(std::memory_order_relaxed));
        if (ready[i]) break;
        changed.wait_for(lock, std::chrono::milliseconds(200));
      }
      r = std::move(results[i]);
      results[i] = TrackResult();  // a finished result keeps no memory
    }
    progress.Clear();
    if (!r.ok) {
      anyFailed = true;
      if (!options.quiet)
        std::fprintf(stderr, "tempyra-cli: %s: %s\n", QuoteName(r.path).c_str(), r.reason.c_str());
    }
    if (!r.tagError.empty()) {
      anyFailed = true;
      if (!options.quiet)
        std::fprintf(stderr, "tempyra-cli: %s: cannot write the BPM tag: %s\n",
                     QuoteName(r.path).c_str(), r.tagError.c_str());
    }
    out.WriteLine(FormatResult(r, options.format));
  }
  if (out.Failed()) stop.store(true);
  progress.Clear();
  for (std::thread& t : workers) t.join();
  if (!out.Finish()) {
    std::fprintf(stderr, "tempyra-cli: %s\n", out.ErrorText().c_str());
    return 1;
  }
  return anyFailed || !collection.unreadableFolders.empty() ? 1 : 0;
}
