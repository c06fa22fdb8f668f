// FfmpegAudio: decodes the audio files that are not MPEG audio (FLAC, ALAC
// and AAC in MP4, Ogg Vorbis, Opus, AIFF, WAVE of any encoding, WMA...)
// through FFmpeg's libraries, and hands out their PCM one block at a time,
// as AudioSource does for MPEG audio. No other part of the program knows
// FFmpeg: its headers are included by the source file only.
//
// Lifecycle: Open(path) -> NextBlock() until it returns null -> Close() (the
// destructor closes too). Every block is one decoded frame of the file's
// first audio stream, as interleaved signed 16-bit PCM at the stream's own
// sampling rate, in mono or stereo (more channels are mixed down to stereo).
// Packets that do not decode are passed over; once NextBlock has returned
// null, Complete() tells whether the whole stream was read: the demuxer
// reached the end of the file, at most 5 % of the packets were damaged, and
// the samples decoded cover at least 95 % of the duration the file states.
// Otherwise LastError() says what broke off.
//
// Each file decodes on the calling thread alone (no decoder threads of
// FFmpeg's own): files run side by side in separate jobs instead. FFmpeg's
// messages on the standard error are silenced once, for the whole process,
// by the first Open.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/audio_source.h"

class FfmpegAudio {
 public:
  // Whether this build has FFmpeg's decoders; without them every Open
  // fails with a reason.
  static bool Available();

  FfmpegAudio();
  FfmpegAudio(const FfmpegAudio&) = delete;
  FfmpegAudio& operator=(const FfmpegAudio&) = delete;
  ~FfmpegAudio();

  // True when the file opened and has an audio stream with a decoder;
  // otherwise false, with the reason in LastError(). `formatName` (may be
  // null) is what our own recogniser called the file, for the reason.
  bool Open(const std::string& path, const char* formatName = nullptr);
  // The next decoded frame's PCM, or null at the end of the stream, on a
  // failure, or once the cancel flag is set (and ever after).
  const PcmBlock* NextBlock();
  void Close();

  // Polled once per packet; null for none.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  bool IsOpen() const;
  // After NextBlock returned null: the whole stream was read (see above).
  bool Complete();
  // Why Open failed or the stream is not complete, in one line.
  const std::string& LastError() const { return lastError_; }
  // The stream's decoder, as FFmpeg names it ("flac", "aac"...); valid
  // while open.
  std::string CodecName() const;

 private:
  struct Decoder;
  bool Fail(const std::string& reason);
  bool SetUpConverter();
  const PcmBlock* Convert();

  std::unique_ptr<Decoder> decoder_;
  const std::atomic<bool>* cancel_ = nullptr;
  std::string lastError_;
  PcmBlock block_;
};
