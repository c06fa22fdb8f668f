// AudioSource: opens one audio file, finds where its MPEG audio begins and
// hands out its frames one at a time as decoded 16-bit PCM.
//
// Lifecycle: Open(path) -> NextBlock() until it returns null -> Close()
// (the destructor closes too). Every NextBlock decodes exactly one frame;
// bytes that do not start a decodable frame are passed over one at a time,
// so damaged stretches and foreign chunks inside the data are skipped.
//
// Layouts: a RIFF "WAVE" file whose data chunk holds MPEG audio (found at
// the fixed offsets of the common layouts, else by walking the chunks), a
// RIFF "RMP3" file, or a raw MPEG stream found by a sync scan that skips
// ID3v2 tags; a trailing ID3v1 tag is never offered to the decoder. A raw
// stream's first frame counts only when the frame after it has a header of
// the same version, layer and sampling rate (or the file ends right after
// it), so false headers in tags, pictures or files of other formats do not
// start a stream. Files that begin with the signature of another format
// (FLAC, Ogg, AIFF, RF64, MP4, Matroska, ASF and others), WAVE files of
// other encodings, other RIFF types and free-format streams do not open,
// and LastError says why.
//
// The file is mapped, never read or copied; a file that shrinks while it is
// mapped ends its blocks instead of the program. A cancel flag, when set,
// makes long scans give up early.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "mpeg/mpeg_decoder.h"
#include "platform/mapped_file.h"

// One decoded frame as NextBlock returns it; valid until the next call.
struct PcmBlock {
  uint32_t blockIndex = 0;  // 0 for the first block; a 16-bit count that wraps
  mpeg::StreamInfo info{};  // this frame's header; totalFrames estimated when untagged
  const uint8_t* pcm = nullptr;
  uint32_t pcmBytes = 0;
  // How far the audio data has been read: bytes up to the end of this frame,
  // of dataLength in all. Unlike blockIndex and the estimated total, this
  // never wraps and never goes back, so a progress display can follow it.
  uint32_t dataPosition = 0;
  uint32_t dataLength = 0;
  // The frame begins right where the previous block's frame ended (true for
  // the first block). In an MPEG stream, damaged or not, nearly every frame
  // does; frames found in data that is not MPEG audio lie scattered.
  bool followsPrevious = false;
};

class AudioSource {
 public:
  enum OpenResult { kOpened = 0, kCannotOpen = 1, kNoMemory = 3 };

  // The work done since Open, for tests and measurements of damaged input:
  // every damaged byte costs a header check, and only a frame that decodes
  // costs a frame decode.
  struct WorkCounts {
    uint64_t headerReads = 0;   // readStreamInfo calls (the sync scan's included)
    uint64_t frameDecodes = 0;  // decodeFrame calls
    uint64_t bytesSkipped = 0;  // data bytes passed over by NextBlock
  };

  AudioSource() = default;
  AudioSource(const AudioSource&) = delete;
  AudioSource& operator=(const AudioSource&) = delete;
  ~AudioSource() { Close(); }

  // 0 opened; 1 the file cannot be opened or mapped, or holds no MPEG audio
  // we recognise; 3 no memory for the PCM buffer. On a source that is
  // already open it returns 0 and changes nothing.
  int Open(const std::string& path);
  // The next frame's PCM, or null at the end of the data (and ever after).
  const PcmBlock* NextBlock();
  int Close();

  // Polled during scans; null for none.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  bool IsOpen() const { return state_ == kStateOpen; }
  // Why the last Open failed, for messages: "cannot open: <reason>", "not
  // MPEG audio (<what it is>)", "free-format MPEG audio is not supported"...
  const std::string& LastError() const { return lastError_; }
  // After a failed Open: the format the file was recognised as when it is
  // audio of another kind than MPEG ("FLAC", "AIFF", "WAVE floating-point
  // PCM"...), for a decoder of that format to take over; empty otherwise.
  const std::string& OtherFormat() const { return otherFormat_; }
  // Information of the first frame, valid while open.
  const mpeg::StreamInfo& FirstInfo() const { return firstInfo_; }
  const WorkCounts& Work() const { return work_; }
  // Bytes offered to readStreamInfo for every frame (before raising it to
  // the 156 it needs), fixed from the first frame; valid while open.
  uint16_t HeaderWindow() const { return headerWindow_; }
  // Offset in the file of the frame the last block came from, valid while
  // open and after a block was returned.
  uint64_t LastFrameOffset() const;
  // True when nothing but zero bytes follows the last block's frame in the
  // data: padding, not audio that is missing. A frame that the zeros begin
  // well inside was cut off and zero-filled (a download that stopped): then
  // the zeros count as missing audio. Valid while open.
  bool OnlyPaddingFollowsLastFrame() const;

 private:
  enum { kStateClosed = 0, kStateOpen = 1 };
  int OpenMapped();
  bool FindRiffStream(uint32_t* start, uint32_t* length);
  bool FindRawStream(uint32_t audioEnd, uint32_t* start);
  bool FirstFrameConfirmed(uint32_t at, const mpeg::StreamInfo& info, uint32_t audioEnd) const;
  bool Cancelled() const { return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed); }
  const PcmBlock* DecodeNext();
  uint32_t WindowAt(uint32_t position) const;
  int ReadInfo(const uint8_t* bytes, uint32_t available, mpeg::StreamInfo& info);
  void Reset();

  int state_ = kStateClosed;
  MappedFile file_;
  const uint8_t* dataStart_ = nullptr;
  uint32_t position_ = 0;
  mpeg::MpegDecoder decoder_{};
  mpeg::FrameRequest request_{};
  mpeg::StreamInfo firstInfo_{};
  PcmBlock block_;
  uint8_t* pcmBuffer_ = nullptr;
  uint32_t dataLength_ = 0;
  uint32_t paddingStart_ = 0;  // where the run of zero bytes that ends the data begins
  uint16_t headerWindow_ = 0;
  uint16_t frameCounter_ = 0;
  uint32_t lastFramePosition_ = 0;
  uint32_t lastFrameEnd_ = 0;
  const std::atomic<bool>* cancel_ = nullptr;
  std::string lastError_;
  std::string otherFormat_;
  WorkCounts work_;
};
