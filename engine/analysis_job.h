// AnalysisJob: analyses one audio file at a time on a worker thread and
// reports to a MessageTarget.
//
// Lifecycle, as the window drives it:
//   1. Start(target, path)  stops any running worker, then starts a new one
//                           on the file; false when no thread could be made
//                           (nothing is posted then);
//   2. the worker opens the file through an AudioSource, resets the run's
//      tempo estimator (the standard one, or with SetPreciseTempo(true)
//      before Start the precise one: only that one is fed), feeds it every
//      decoded block and posts
//        kAnalysisProgress (blockIndex, estimated total) for blocks 0, 40, 80...
//      then exactly one of
//        kAnalysisDone      the file was read to its end (under 5 % unread)
//        kAnalysisFailed    no block at all, or too much left unread;
//      both with wParam kLastMessageMark and lParam 0, so that a window
//      whose own messages share these numbers (a Windows dialog's
//      DM_REPOSITION is 1026) can tell the worker's apart;
//      in a precise run the worker makes the estimate itself before it
//      posts kAnalysisDone (it takes a moment on a long track);
//   3. after kAnalysisDone, EstimateTempo() once gives the tempo (a
//      non-finite value is a failed analysis): the standard estimate is
//      made then, on the owner's thread; a precise run's is only read, and
//      TempoConfidence() then tells how far to trust it;
//   4. Stop() (also done by the destructor and by the next Start) makes the
//      worker end within one block, or once a precise estimate it has begun
//      is made, and waits for it; a stopped run posts nothing more.
// Beside the messages, Progress() tells how far the worker has read the
// current file in bytes: a position that neither wraps nor goes back, for a
// progress bar. It is updated before each progress message is posted.
// A null target analyses without posting anything.
//
// Threads: Start, Stop, EstimateTempo and the destructor run on the owner's
// thread. While the worker runs, the only value both threads touch is the
// stop flag; the estimator and the precise estimate belong to the worker
// until its last post.
#pragma once

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <thread>

#include "engine/file_analysis.h"
#include "engine/tempo_estimator.h"
#include "platform/message_target.h"

class AnalysisJob {
 public:
  static constexpr uint32_t kAnalysisProgress = 1025;  // WM_USER + 1
  static constexpr uint32_t kAnalysisDone = 1026;      // WM_USER + 2
  static constexpr uint32_t kAnalysisFailed = 1027;    // WM_USER + 3
  // The wParam of kAnalysisDone and kAnalysisFailed.
  static constexpr uintptr_t kLastMessageMark = 0x54505952;

  AnalysisJob() = default;
  AnalysisJob(const AnalysisJob&) = delete;
  AnalysisJob& operator=(const AnalysisJob&) = delete;
  virtual ~AnalysisJob();

  bool Start(MessageTarget* target, const std::string& path);
  void Stop();
  double EstimateTempo();

  // Bytes of the current file's audio data read so far, of how many; zero
  // until the worker's first progress message for the file. Safe to call
  // while the worker runs.
  ReadPosition Progress() const;

  // Off from construction on. While on, the runs that Start begins use the
  // precise estimator (PreciseTempoEstimator) instead of the standard one;
  // the window's "Precise Tempo" menu item sets it before each Start.
  // Changing it while a worker runs affects the next run only.
  void SetPreciseTempo(bool on) { preciseRequested_ = on; }
  bool PreciseTempo() const { return preciseRequested_; }
  // The precise estimate's confidence (0 to 1) from the last EstimateTempo()
  // of a precise run; NaN after a standard one.
  double TempoConfidence() const { return confidence_; }
  // The runner-up beat level of the same precise estimate (a tempo that
  // reads the same beats at another level, such as twice or two thirds the
  // value) and its strength on TempoConfidence's scale; NaN after a
  // standard run or when no other level was weighed.
  double AlternativeTempo() const { return alternative_; }
  double AlternativeConfidence() const { return alternativeConfidence_; }

  // The formats the runs that Start begins take: kMpegAndWave from
  // construction on (a file of another format fails, as the window's
  // listing expects); with kEveryFormat a file is analysed as AnalyseFile
  // analyses it, PCM WAVE files and FFmpeg's formats included.
  void SetFormats(AudioFormats formats) { formats_ = formats; }
  AudioFormats Formats() const { return formats_; }

  // Output sampling rate of the file, from its first block.
  uint32_t SampleRate() const { return sampleRate_; }

 private:
  // The worker's whole run on one file.
  static void AnalysisWorker(AnalysisJob* job);
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);

  uint32_t sampleRate_ = 0;
  MessageTarget* target_ = nullptr;
  std::atomic<bool> stopRequested_{false};
  // ReadPosition packed as done << 32 | total, so that the owner's thread
  // never sees the two halves of different updates.
  std::atomic<uint64_t> progress_{0};
  std::thread thread_;
  std::string path_;
  // The run's estimator, made by MakeTempoEstimator when a run needs the
  // other kind (kept from run to run otherwise); preciseRun_ is whether the
  // current run is precise (fixed by Start for the worker).
  bool preciseRequested_ = false;
  bool preciseRun_ = false;
  std::unique_ptr<TempoEstimator> estimator_;
  bool estimatorIsPrecise_ = false;
  // A precise run's estimate, made by the worker before kAnalysisDone.
  TempoEstimate preciseEstimate_{std::numeric_limits<double>::quiet_NaN(),
                                 std::numeric_limits<double>::quiet_NaN()};
  AudioFormats formats_ = AudioFormats::kMpegAndWave;
  AudioFormats runFormats_ = AudioFormats::kMpegAndWave;  // fixed by Start for the worker
  double confidence_ = std::numeric_limits<double>::quiet_NaN();
  double alternative_ = std::numeric_limits<double>::quiet_NaN();
  double alternativeConfidence_ = std::numeric_limits<double>::quiet_NaN();
};
