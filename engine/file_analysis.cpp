// Whole-file analysis. See file_analysis.h.
#include "engine/file_analysis.h"

#include <algorithm>
#include <cstring>

#include "engine/pcm_wave.h"
#include "platform/fault_guard.h"
#include "platform/mapped_file.h"

namespace {

constexpr uint32_t kProgressEvery = 40;
constexpr uint32_t kWaveBlockFrames = 1152;

bool Stopped(const std::atomic<bool>* stop) {
  return stop != nullptr && stop->load(std::memory_order_relaxed);
}

}  // namespace

FileAnalysis FeedPcmWave(const MappedFile& file, const PcmWave& wave, TempoEstimator& estimator,
                         const std::atomic<bool>* stop, ProgressFunction progress, void* context) {
  FileAnalysis result;
  result.sampleRate = wave.sampleRate;
  result.channels = wave.channels;
  const uint32_t frameBytes = wave.FrameBytes();
  const uint32_t blockBytes = kWaveBlockFrames * frameBytes;
  // Sized for the widest frames a PcmWave admits.
  uint8_t block[kWaveBlockFrames * kMaxWaveFrameBytes];
  if (frameBytes == 0 || frameBytes > kMaxWaveFrameBytes ||
      uint64_t{wave.dataOffset} + wave.dataBytes > file.Size())
    return result;
  const uint8_t* data = file.Data() + wave.dataOffset;
  uint32_t blockIndex = 0;
  for (uint64_t at = 0; at < wave.dataBytes; at += blockBytes, ++blockIndex) {
    if (Stopped(stop)) {
      result.status = FileAnalysis::Status::kStopped;
      return result;
    }
    const auto n = static_cast<uint32_t>(std::min<uint64_t>(blockBytes, wave.dataBytes - at));
    const bool eightBit = wave.bitsPerSample == 8;
    const bool copied = fault_guard::Guard(file.Data(), file.Size(), [&] {
      if (eightBit) {
        for (uint32_t i = 0; i < n; ++i) block[i] = static_cast<uint8_t>(data[at + i] ^ 0x80);
      } else {
        std::memcpy(block, data + at, n);
      }
    });
    if (!copied) {
      result.status = FileAnalysis::Status::kIncomplete;
      result.error = "the file changed while it was read";
      return result;
    }
    estimator.FeedBlock(block, n, wave.sampleRate, frameBytes, wave.channels);
    result.sampleFrames += n / frameBytes;
    if (progress != nullptr && blockIndex % kProgressEvery == 0) {
      const auto blocks = static_cast<uint32_t>((wave.dataBytes + blockBytes - 1) / blockBytes);
      progress(context, blockIndex, blocks, {static_cast<uint32_t>(at + n), wave.dataBytes});
    }
  }
  result.status =
      result.sampleFrames != 0 ? FileAnalysis::Status::kComplete : FileAnalysis::Status::kNoBlock;
  return result;
}

FileAnalysis ReadMpegBlocks(AudioSource& source, TempoEstimator& estimator,
                            const std::atomic<bool>* stop, ProgressFunction progress,
                            void* context) {
  FileAnalysis result;
  const PcmBlock* block = source.NextBlock();
  if (block == nullptr) {
    result.status = Stopped(stop) ? FileAnalysis::Status::kStopped : FileAnalysis::Status::kNoBlock;
    return result;
  }
  result.sampleRate = static_cast<uint32_t>(block->info.outSampleRate);
  result.channels = static_cast<uint32_t>(block->info.outChannels);
  uint32_t blocks = 0;            // in full width
  uint32_t blocksInSequence = 0;  // that began where the one before ended
  uint32_t framesLeft = 0;        // what the last block's estimate leaves undecoded
  while (!Stopped(stop)) {
    const uint32_t channels = static_cast<uint32_t>(block->info.outChannels);
    const uint32_t frameBytes = channels * static_cast<uint32_t>(block->info.outBits) / 8;
    estimator.FeedBlock(block->pcm, block->pcmBytes,
                        static_cast<uint32_t>(block->info.outSampleRate), frameBytes, channels);
    if (frameBytes != 0) result.sampleFrames += block->pcmBytes / frameBytes;
    const uint32_t total = static_cast<uint32_t>(block->info.totalFrames);
    if (progress != nullptr && block->blockIndex % kProgressEvery == 0)
      progress(context, block->blockIndex, total, {block->dataPosition, block->dataLength});
    // The estimate is the 16-bit index the last frame ahead would have, so
    // the difference is the number of frames ahead whatever the wrapping.
    framesLeft = total - block->blockIndex;
    ++blocks;
    if (block->followsPrevious) ++blocksInSequence;
    block = source.NextBlock();
    if (block == nullptr) break;
  }
  if (Stopped(stop)) {
    result.status = FileAnalysis::Status::kStopped;
    return result;
  }
  if (blocksInSequence < blocks - blocksInSequence) {
    result.status = FileAnalysis::Status::kNotOpened;
    result.error = "not MPEG audio (its frame headers are scattered, not a stream)";
    return result;
  }
  if (source.OnlyPaddingFollowsLastFrame()) framesLeft = 0;
  // Share of the estimated frames left undecoded, in whole percent, of all
  // the frames the file would hold; an estimate of 0 frames cannot be
  // judged and counts as incomplete.
  const uint64_t lastIndex = blocks - 1;
  const uint64_t estimatedTotal = lastIndex + framesLeft;
  const bool complete = estimatedTotal != 0 && uint64_t{framesLeft} * 100 / estimatedTotal < 5;
  result.status = complete ? FileAnalysis::Status::kComplete : FileAnalysis::Status::kIncomplete;
  return result;
}

FileAnalysis ReadOtherFormatBlocks(FfmpegAudio& source, TempoEstimator& estimator,
                                   const std::atomic<bool>* stop, ProgressFunction progress,
                                   void* context) {
  FileAnalysis result;
  source.SetCancelFlag(stop);
  while (const PcmBlock* block = source.NextBlock()) {
    const auto channels = static_cast<uint32_t>(block->info.outChannels);
    const auto rate = static_cast<uint32_t>(block->info.outSampleRate);
    const uint32_t frameBytes = channels * 2;
    if (result.sampleRate == 0) {
      result.sampleRate = rate;
      result.channels = channels;
    }
    estimator.FeedBlock(block->pcm, block->pcmBytes, rate, frameBytes, channels);
    result.sampleFrames += block->pcmBytes / frameBytes;
    if (progress != nullptr && block->blockIndex % kProgressEvery == 0)
      progress(context, block->blockIndex, static_cast<uint32_t>(block->info.totalFrames),
               {block->dataPosition, block->dataLength});
  }
  if (Stopped(stop)) {
    result.status = FileAnalysis::Status::kStopped;
    return result;
  }
  if (!source.Complete()) {
    result.status = result.sampleFrames == 0 ? FileAnalysis::Status::kNoBlock
                                             : FileAnalysis::Status::kIncomplete;
    result.error = source.LastError();
    return result;
  }
  result.status =
      result.sampleFrames != 0 ? FileAnalysis::Status::kComplete : FileAnalysis::Status::kNoBlock;
  if (result.sampleFrames == 0) result.error = "no audio could be decoded";
  return result;
}

FileAnalysis AnalyseFile(const std::string& path, AudioFormats formats, TempoEstimator& estimator,
                         const std::atomic<bool>* stop, ProgressFunction progress, void* context) {
  estimator.Reset();
  FileAnalysis result;
  {
    MappedFile file;
    std::string reason;
    if (!file.Open(path, &reason)) {
      result.error = "cannot open: " + reason;
      return result;
    }
    PcmWave wave;
    bool isWave = false;
    if (!fault_guard::Guard(file.Data(), file.Size(),
                            [&] { isWave = FindPcmWave(file.Data(), file.Size(), &wave); })) {
      result.status = FileAnalysis::Status::kIncomplete;
      result.error = "the file changed while it was read";
      return result;
    }
    if (isWave) return FeedPcmWave(file, wave, estimator, stop, progress, context);
  }
  AudioSource source;
  source.SetCancelFlag(stop);
  if (source.Open(path) != AudioSource::kOpened) {
    result.status =
        Stopped(stop) ? FileAnalysis::Status::kStopped : FileAnalysis::Status::kNotOpened;
    result.error = source.LastError();
    if (formats == AudioFormats::kEveryFormat && !source.OtherFormat().empty() && !Stopped(stop)) {
      FfmpegAudio other;
      if (!other.Open(path, source.OtherFormat().c_str())) {
        result.error = other.LastError();
        return result;
      }
      return ReadOtherFormatBlocks(other, estimator, stop, progress, context);
    }
    return result;
  }
  result = ReadMpegBlocks(source, estimator, stop, progress, context);
  return result;
}
