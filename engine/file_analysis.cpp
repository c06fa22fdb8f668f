// Whole-file analysis. See file_analysis.h.
#include "engine/file_analysis.h"

#include <algorithm>

#include "engine/pcm_wave.h"
#include "platform/fault_guard.h"
#include "platform/mapped_file.h"

namespace {

constexpr uint32_t kProgressEvery = 40;
constexpr uint32_t kWaveBlockFrames = 1152;

bool Stopped(const std::atomic<bool>* stop) {
  return stop != nullptr && stop->load(std::memory_order_relaxed);
}

// A PCM wave: blocks of 1152 sample frames; 8-bit samples are unsigned in
// WAVE files and enter the detector as signed bytes.
void FeedWave(const uint8_t* data, const PcmWave& wave, TempoDetector& detector,
              const std::atomic<bool>* stop, FileAnalysis& result) {
  const uint32_t frameBytes = wave.FrameBytes();
  const uint32_t blockBytes = kWaveBlockFrames * frameBytes;
  uint8_t converted[kWaveBlockFrames * 8];
  for (uint32_t at = 0; at < wave.dataBytes; at += blockBytes) {
    if (Stopped(stop)) {
      result.status = FileAnalysis::Status::kStopped;
      return;
    }
    const uint32_t n = std::min(blockBytes, wave.dataBytes - at);
    const uint8_t* block = data + at;
    if (wave.bitsPerSample == 8) {
      for (uint32_t i = 0; i < n; ++i) converted[i] = static_cast<uint8_t>(block[i] ^ 0x80);
      block = converted;
    }
    detector.FeedBlock(block, n, wave.sampleRate, frameBytes, wave.channels);
    result.sampleFrames += n / frameBytes;
  }
  result.status = FileAnalysis::Status::kComplete;
}

}  // namespace

FileAnalysis ReadMpegBlocks(AudioSource& source, TempoDetector& detector,
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
  while (!Stopped(stop)) {
    const uint32_t channels = static_cast<uint32_t>(block->info.outChannels);
    const uint32_t frameBytes = channels * static_cast<uint32_t>(block->info.outBits) / 8;
    detector.FeedBlock(block->pcm, block->pcmBytes,
                       static_cast<uint32_t>(block->info.outSampleRate), frameBytes, channels);
    if (frameBytes != 0) result.sampleFrames += block->pcmBytes / frameBytes;
    const uint32_t total = static_cast<uint32_t>(block->info.totalFrames);
    if (progress != nullptr && block->blockIndex % kProgressEvery == 0)
      progress(context, block->blockIndex, total);
    result.lastTotal = total;
    result.lastIndex = block->blockIndex;
    block = source.NextBlock();
    if (block == nullptr) break;
  }
  if (Stopped(stop)) {
    result.status = FileAnalysis::Status::kStopped;
    return result;
  }
  // Share of the estimated frames left undecoded, in whole percent; an
  // estimate of 0 frames cannot be judged and counts as incomplete.
  const uint32_t t = result.lastTotal, i = result.lastIndex;
  const bool complete = t != 0 && (t - i) * 100u / t < 5u;
  result.status = complete ? FileAnalysis::Status::kComplete : FileAnalysis::Status::kIncomplete;
  return result;
}

FileAnalysis AnalyseFile(const std::string& path, TempoDetector& detector,
                         const std::atomic<bool>* stop) {
  detector.Reset();
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
    bool ran = fault_guard::Guard(file.Data(), file.Size(), [&] {
      isWave = FindPcmWave(file.Data(), file.Size(), &wave);
      if (isWave) {
        result.sampleRate = wave.sampleRate;
        result.channels = wave.channels;
        FeedWave(file.Data() + wave.dataOffset, wave, detector, stop, result);
      }
    });
    if (!ran) {
      result.status = FileAnalysis::Status::kIncomplete;
      result.error = "the file changed while it was read";
      return result;
    }
    if (isWave) {
      if (result.status == FileAnalysis::Status::kComplete && result.sampleFrames == 0)
        result.status = FileAnalysis::Status::kNoBlock;
      return result;
    }
  }
  AudioSource source;
  source.SetCancelFlag(stop);
  if (source.Open(path) != AudioSource::kOpened) {
    result.status = Stopped(stop) ? FileAnalysis::Status::kStopped : FileAnalysis::Status::kNotOpened;
    result.error = source.LastError();
    return result;
  }
  result = ReadMpegBlocks(source, detector, stop, nullptr, nullptr);
  return result;
}
