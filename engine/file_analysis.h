// Reading a whole file into a tempo estimator, shared by the analysis job's
// worker and the command line.
//
// ReadMpegBlocks feeds every block of an opened AudioSource to the estimator
// and judges, from the source's running estimate of the frame count,
// whether the file was read to its end: fewer than 5 % of the estimated
// frames left undecoded counts as complete. The blocks are counted in full
// width for this (the block index wraps at 65536), and zero bytes after the
// last frame are padding, not frames left undecoded. A file whose frames
// mostly do not follow one another is not an MPEG stream at all, whatever
// stray headers its data held. AnalyseFile does the whole
// analysis of one path: RIFF WAVE files of plain 8- or 16-bit PCM go
// straight into the estimator, everything else through an AudioSource; with
// every format taken, a file that the AudioSource recognises as audio of
// another format is decoded by FFmpeg (FfmpegAudio) instead of failing.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "engine/audio_file_names.h"
#include "engine/audio_source.h"
#include "engine/ffmpeg_audio.h"
#include "engine/pcm_wave.h"
#include "engine/tempo_estimator.h"
#include "platform/mapped_file.h"

struct FileAnalysis {
  enum class Status {
    kNotOpened,   // cannot open, or not an audio file we read (found while reading); see error
    kNoBlock,     // opened, but nothing decoded
    kComplete,    // read to its end: the tempo can be estimated
    kIncomplete,  // decoding broke off with too much left unread
    kStopped,     // the stop flag ended it
  };
  Status status = Status::kNotOpened;
  uint32_t sampleRate = 0;    // of the first block
  uint32_t channels = 0;      // of the first block
  uint64_t sampleFrames = 0;  // PCM sample frames fed to the estimator
  std::string error;          // why the file did not open
};

// How far the reading of a file has come: bytes of its audio data read, of
// how many. It never wraps and never goes back within a file, unlike the
// 16-bit block index and the estimated total block count, whose estimate
// jumps on files of varying bit rate.
struct ReadPosition {
  uint32_t done = 0;
  uint32_t total = 0;
};

// Called for every block index that is a multiple of 40, with the block's
// index, the estimated total number of blocks and the read position.
using ProgressFunction = void (*)(void* context, uint32_t blockIndex, uint32_t totalBlocks,
                                  ReadPosition position);

// The estimator must have been reset; `stop` (may be null) is polled once
// per block.
FileAnalysis ReadMpegBlocks(AudioSource& source, TempoEstimator& estimator,
                            const std::atomic<bool>* stop, ProgressFunction progress,
                            void* context);

// Feeds the samples of a PCM wave found in a mapped file to the estimator,
// 1152 sample frames at a time. Each block is copied out of the mapping
// under the fault guard and fed outside it, so that a file that shrinks
// under the mapping fails its analysis (kIncomplete, with a reason) without
// leaving the estimator half-updated.
// `progress` (may be null) is called as for ReadMpegBlocks, every 40 blocks
// of 1152 sample frames.
FileAnalysis FeedPcmWave(const MappedFile& file, const PcmWave& wave, TempoEstimator& estimator,
                         const std::atomic<bool>* stop, ProgressFunction progress = nullptr,
                         void* context = nullptr);

// Feeds every block of an opened FfmpegAudio to the estimator: complete
// when the source read its whole stream (FfmpegAudio::Complete), otherwise
// incomplete with the source's reason. `progress` as for ReadMpegBlocks.
FileAnalysis ReadOtherFormatBlocks(FfmpegAudio& source, TempoEstimator& estimator,
                                   const std::atomic<bool>* stop, ProgressFunction progress,
                                   void* context);

// Resets the estimator, then feeds it the file at path; after kComplete the
// caller asks it for its Estimate(). `formats` says whether files of other
// formats than MPEG audio and WAVE are decoded (kEveryFormat) or fail with
// the recogniser's reason (kMpegAndWave).
FileAnalysis AnalyseFile(const std::string& path, AudioFormats formats, TempoEstimator& estimator,
                         const std::atomic<bool>* stop, ProgressFunction progress = nullptr,
                         void* context = nullptr);
