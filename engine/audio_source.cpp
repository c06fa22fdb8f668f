// AudioSource: layout recognition, the raw sync scan and frame-by-frame
// decoding from the mapped file. See audio_source.h.
#include "engine/audio_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/foreign_format.h"
#include "engine/riff_chunk_walk.h"
#include "mpeg/frame_header.h"
#include "platform/fault_guard.h"

namespace {

// Smallest number of bytes readStreamInfo accepts.
constexpr uint32_t kMinInfoBytes = 156;
// Scans poll the cancel flag once per this many positions.
constexpr uint32_t kCancelPollInterval = 1u << 16;
// A free-format frame is at most this long (640 kbit/s of Layer III at
// 32 kHz is 2880 bytes); the scan looks this far for the next header.
constexpr uint32_t kMaxFreeFormatFrame = 4096;
// Zero bytes that a whole last frame may itself end in (unused bits at the
// end of a Layer I or II frame are zeros): zeros that begin further inside
// the frame mean it was cut off and the rest of the file zero-filled.
constexpr uint32_t kFrameZeroTailAllowance = 32;

constexpr uint16_t kWaveFormatMpeg = 0x0050;  // MPEG-1 Layer I or II
constexpr uint16_t kWaveFormatMpegLayer3 = 0x0055;

// The length a frame is advanced by, as NextBlock does it.
int32_t FrameLengthOf(const mpeg::StreamInfo& info) {
  return info.tagFrameLength != 0 ? info.tagFrameLength
         : info.padding == 1      ? info.maxFrameLength
                                  : info.minFrameLength;
}

// How many bytes to offer readStreamInfo for frames like the one at p (four
// bytes readable): bit rate x 144000 / sampling rate, with the Layer III
// rate of the header's version and the MPEG-1 or MPEG-2 sampling rates
// chosen by the ID bit alone; 0 when the header has no bit rate or rate.
uint16_t HeaderWindowOf(const uint8_t* p) {
  const int version = (p[1] & 0x08) ? 1 : 2;
  const uint32_t kbps = static_cast<uint32_t>(mpeg::bitrateKbps(version, 3, p[2] >> 4));
  const uint32_t rate = static_cast<uint32_t>(mpeg::sampleRateHz(version, (p[2] >> 2) & 3));
  if (kbps == 0 || rate == 0) return 0;
  return static_cast<uint16_t>(kbps * 144000u / rate);
}

bool IsSync(const uint8_t* p) {
  return p[0] == 0xFF && (p[1] & 0xE0) == 0xE0;
}

// Whether readStreamInfo takes the frame at p (left bytes readable), offered
// its header window as the stream would offer it; records nothing.
bool StartsWithFrame(const uint8_t* p, uint32_t left) {
  const uint16_t window = HeaderWindowOf(p);
  if (left < 4 || !IsSync(p) || window == 0) return false;
  const uint32_t offered = std::min<uint32_t>(std::max<uint32_t>(window, kMinInfoBytes), left);
  uint8_t padded[kMinInfoBytes] = {};
  std::memcpy(padded, p, std::min<uint32_t>(offered, kMinInfoBytes));
  mpeg::StreamInfo info;
  return offered >= kMinInfoBytes
             ? mpeg::readStreamInfo(p, static_cast<int32_t>(offered), info) == 1
             : mpeg::readStreamInfo(padded, static_cast<int32_t>(kMinInfoBytes), info) == 1;
}

// A header that would be valid but for its free-format bit-rate index 0.
bool IsFreeFormatHeader(const uint8_t* p) {
  return IsSync(p) && ((p[1] >> 1) & 3) != 0 && (p[2] >> 4) == 0 && ((p[2] >> 2) & 3) != 3;
}

// The same sync, version, layer, free-format index and sampling rate as the
// header at `first` (padding, protection and the rest may differ).
bool SameFreeFormatHeader(const uint8_t* first, const uint8_t* p) {
  return p[0] == 0xFF && (p[1] & 0xFE) == (first[1] & 0xFE) && (p[2] & 0xFC) == (first[2] & 0xFC);
}

// A free-format stream at `at`: the same header again after d bytes and
// once more d bytes further (give or take the padding slot), or the file
// ends before a third header would fit.
bool IsFreeFormatStream(const uint8_t* view, uint32_t at, uint32_t end) {
  const uint8_t* first = view + at;
  const uint32_t slot = ((first[1] >> 1) & 3) == 3 ? 4 : 1;  // Layer I pads by 4 bytes
  const auto last =
      static_cast<uint32_t>(std::min<uint64_t>(uint64_t{at} + kMaxFreeFormatFrame, end - 4));
  for (uint32_t q = at + 8; q <= last; ++q) {
    if (!SameFreeFormatHeader(first, view + q)) continue;
    const uint32_t d = q - at;
    if (uint64_t{q} + d + slot + 4 > end) return true;
    for (uint32_t r = q + d - slot; r <= q + d + slot; ++r) {
      if (SameFreeFormatHeader(first, view + r)) return true;
    }
    return false;
  }
  return false;
}

// An ID3v2 tag's whole length at p (left bytes readable), 0 when p holds no
// well-formed tag header.
uint64_t Id3v2TagLength(const uint8_t* p, uint32_t left) {
  if (left < 10 || p[0] != 'I' || p[1] != 'D' || p[2] != '3' || p[3] == 0xFF || p[4] == 0xFF ||
      (p[5] & 0x0F) != 0 || p[6] >= 0x80 || p[7] >= 0x80 || p[8] >= 0x80 || p[9] >= 0x80)
    return 0;
  uint64_t length =
      10 + ((uint32_t(p[6]) << 21) | (uint32_t(p[7]) << 14) | (uint32_t(p[8]) << 7) | p[9]);
  if (p[5] & 0x10) length += 10;  // footer
  return length;
}

// An APEv2 tag in front of the audio: its 32-byte header (which says it is
// a header) and the size that follows it; 0 when there is none.
uint64_t ApeTagLength(const uint8_t* p, uint32_t left) {
  if (left < 32 || std::memcmp(p, "APETAGEX", 8) != 0) return 0;
  const uint32_t flags = ReadLe32(p + 20);
  if ((flags & (1u << 29)) == 0) return 0;  // a footer, not a header
  return 32 + uint64_t{ReadLe32(p + 12)};
}

// What a WAVE file holds when it is not MPEG audio, for the reason.
std::string WaveEncodingName(uint16_t tag) {
  switch (tag) {
    case 0x0001:
      return "WAVE PCM";
    case 0x0003:
      return "WAVE floating-point PCM";
    case 0x0006:
      return "WAVE A-law";
    case 0x0007:
      return "WAVE mu-law";
    case 0x0002:
    case 0x0011:
      return "WAVE ADPCM";
    case 0x2000:
      return "WAVE AC-3";
    default: {
      char text[32];
      std::snprintf(text, sizeof text, "WAVE format 0x%04X", tag);
      return text;
    }
  }
}

std::string NotMpegAudio(const std::string& what) {
  return "not MPEG audio (" + what + ")";
}

}  // namespace

void AudioSource::Reset() {
  state_ = kStateClosed;
  dataStart_ = nullptr;
  position_ = 0;
  request_ = {};
  firstInfo_ = {};
  block_ = PcmBlock{};
  pcmBuffer_ = nullptr;
  dataLength_ = 0;
  paddingStart_ = 0;
  headerWindow_ = 0;
  frameCounter_ = 0;
  lastFramePosition_ = 0;
  lastFrameEnd_ = 0;
}

int AudioSource::Close() {
  if (state_ == kStateClosed && !file_.IsOpen()) return 0;
  delete[] pcmBuffer_;
  file_.Close();
  Reset();
  return 0;
}

int AudioSource::Open(const std::string& path) {
  if (state_ != kStateClosed) return kOpened;
  lastError_.clear();
  otherFormat_.clear();
  work_ = WorkCounts{};
  std::string reason;
  if (!file_.Open(path, &reason)) {
    lastError_ = "cannot open: " + reason;
    return kCannotOpen;
  }
  int result = kCannotOpen;
  bool ran = fault_guard::Guard(file_.Data(), file_.Size(), [&] { result = OpenMapped(); });
  if (!ran) result = kCannotOpen;
  if (result != kOpened) {
    if (!ran)
      lastError_ = "cannot open: the file changed while it was read";
    else if (lastError_.empty())
      lastError_ = "not an audio file we can read";
    delete[] pcmBuffer_;
    file_.Close();
    Reset();
  }
  return result;
}

// Bytes to offer readStreamInfo at a position: the header window, at least
// the minimum readStreamInfo needs (low bit rates have shorter windows), at
// most what is left of the data.
uint32_t AudioSource::WindowAt(uint32_t position) const {
  uint32_t window = std::max<uint32_t>(headerWindow_, kMinInfoBytes);
  return std::min(window, dataLength_ - position);
}

// readStreamInfo wants 156 readable bytes but reads at most the first 56.
// Where fewer are left (the last frames of a stream), it is given a copy of
// them followed by zeros, so that the final frames are not lost; the frame
// itself is then decoded from the file's own bytes.
int AudioSource::ReadInfo(const uint8_t* bytes, uint32_t available, mpeg::StreamInfo& info) {
  ++work_.headerReads;
  if (available >= kMinInfoBytes)
    return mpeg::readStreamInfo(decoder_, bytes, static_cast<int32_t>(available), info, 1);
  uint8_t padded[kMinInfoBytes] = {};
  std::memcpy(padded, bytes, available);
  return mpeg::readStreamInfo(decoder_, padded, static_cast<int32_t>(kMinInfoBytes), info, 1);
}

uint64_t AudioSource::LastFrameOffset() const {
  if (state_ != kStateOpen) return 0;
  return static_cast<uint64_t>(dataStart_ - file_.Data()) + lastFramePosition_;
}

bool AudioSource::OnlyPaddingFollowsLastFrame() const {
  if (state_ != kStateOpen || lastFrameEnd_ == 0) return false;
  // Every byte after the frame is zero, and the zeros do not begin well
  // inside the frame.
  return paddingStart_ <= lastFrameEnd_ && paddingStart_ + kFrameZeroTailAllowance >= lastFrameEnd_;
}

// A raw stream's first frame counts only when the frame after it, at this
// frame's length, begins with a header of the same version, layer and
// sampling rate (as far as the file goes), or the audio ends right there.
// A stray header inside a tag, a picture or another format's data is rarely
// followed by a second one at just that distance.
bool AudioSource::FirstFrameConfirmed(uint32_t at, const mpeg::StreamInfo& info,
                                      uint32_t audioEnd) const {
  const int32_t length = FrameLengthOf(info);
  if (length <= 0) return false;
  const uint64_t next = uint64_t{at} + static_cast<uint32_t>(length);
  if (next == audioEnd) return true;
  if (next > audioEnd) return false;
  const uint8_t* first = file_.Data() + at;
  const uint8_t* p = file_.Data() + next;
  const uint64_t left = audioEnd - next;
  if (p[0] != 0xFF) return false;
  if (left >= 2 && (p[1] & 0xFE) != (first[1] & 0xFE)) return false;  // sync, version, layer
  if (left >= 3) {
    const int bitrateIndex = p[2] >> 4;
    if (((p[2] >> 2) & 3) != ((first[2] >> 2) & 3) || bitrateIndex == 0 || bitrateIndex == 15)
      return false;
  }
  return true;
}

// Sync scan of a raw stream: the first candidate header at which
// readStreamInfo succeeds and whose frame is confirmed by the next one,
// passing over ID3v2 and APEv2 tags whole. Sets lastError_ when it finds
// nothing.
bool AudioSource::FindRawStream(uint32_t audioEnd, uint32_t* start) {
  const uint8_t* view = file_.Data();
  const uint32_t size = file_.Size();
  uint32_t at = 0;
  uint32_t sincePoll = 0;
  bool atStreamStart = true;  // nothing but tags before `at`
  bool firstFrameCut = false;
  while (at < size) {
    if (++sincePoll == kCancelPollInterval) {
      sincePoll = 0;
      if (Cancelled()) return false;
    }
    const uint32_t left = size - at;
    const uint8_t* p = view + at;
    const uint64_t tag = std::max(Id3v2TagLength(p, left), ApeTagLength(p, left));
    if (tag != 0) {
      at = static_cast<uint32_t>(std::min<uint64_t>(at + tag, size));
      if (atStreamStart) {
        // A tag in front of another format's data (FLAC with an ID3v2
        // tag, say).
        if (const char* name = ForeignFormatName(view + at, size - at)) {
          lastError_ = NotMpegAudio(name);
          otherFormat_ = name;
          return false;
        }
      }
      continue;
    }
    if (left >= 4 && IsSync(p)) {
      const uint16_t window = HeaderWindowOf(p);
      if (window != 0) {
        const uint32_t offered =
            std::min<uint32_t>(std::max<uint32_t>(window, kMinInfoBytes), left);
        mpeg::StreamInfo info;
        if (ReadInfo(p, offered, info)) {
          if (FirstFrameConfirmed(at, info, audioEnd)) {
            *start = at;
            return true;
          }
          const int32_t length = FrameLengthOf(info);
          if (atStreamStart && length > 0 &&
              uint64_t{at} + static_cast<uint32_t>(length) > audioEnd)
            firstFrameCut = true;
        }
      } else if (atStreamStart && IsFreeFormatHeader(p)) {
        // Only where the stream would begin: further on, a run of bytes
        // that repeats could pass for one.
        if (IsFreeFormatStream(view, at, size)) {
          lastError_ = "free-format MPEG audio is not supported";
          return false;
        }
      }
    }
    atStreamStart = false;
    ++at;
  }
  // A file that begins with a frame header whose frame does not fit is MPEG
  // audio cut short; anything else held no stream at all.
  lastError_ = firstFrameCut ? "too short: the file ends inside its first MPEG audio frame"
                             : NotMpegAudio("no MPEG audio frames found");
  return false;
}

// MPEG audio in a RIFF file. The fixed offsets come first: the usual MPEG
// WAVE layouts (a 30- or 32-byte format chunk with a "fact" chunk, or a
// 30-byte one straight before "data") and RMP3 are recognised by where
// their data begins, without reading chunk sizes, and their data runs to
// the end of the file. Everything else, such as a WAVE file with a "LIST"
// chunk before its data (as ffmpeg writes them), goes through the same
// chunk walk that finds PCM waves: a WAVE file whose format tag is MPEG
// gives the body of its "data" chunk. Sets lastError_ when it finds none.
bool AudioSource::FindRiffStream(uint32_t* start, uint32_t* length) {
  const uint8_t* view = file_.Data();
  const uint32_t size = file_.Size();
  auto at = [&](uint32_t offset, const char* text) {
    return offset + 4 <= size && std::memcmp(view + offset, text, 4) == 0;
  };
  uint32_t fixed = 0;
  if (size >= 15 && std::memcmp(view + 8, "WAVEfmt", 7) == 0) {
    if (at(50, "fact"))
      fixed = 70;
    else if (at(52, "fact"))
      fixed = 72;
    else if (at(50, "data"))
      fixed = 58;
  } else if (at(8, "RMP3") && at(12, "data")) {
    fixed = 20;
  }
  if (fixed != 0 && fixed + 4 <= size && StartsWithFrame(view + fixed, size - fixed)) {
    *start = fixed;
    *length = size - fixed;
    return true;
  }

  if (!at(8, "WAVE")) {
    if (at(8, "AVI ")) otherFormat_ = "AVI";
    lastError_ = at(8, "AVI ") ? NotMpegAudio("AVI") : NotMpegAudio("a RIFF file of another kind");
    return false;
  }
  RiffChunkWalk walk(view, size, "WAVE");
  RiffChunk chunk;
  uint16_t formatTag = 0;
  bool haveFormat = false, haveData = false;
  while (!haveData && walk.Next(&chunk)) {
    if (chunk.Is("fmt ")) {
      formatTag = WaveFormatTag(view, size, chunk);
      haveFormat = true;
    } else {
      haveData = chunk.Is("data");
    }
  }
  if (!haveFormat || !haveData) {
    lastError_ = NotMpegAudio("a WAVE file without format and data chunks");
    return false;
  }
  if (formatTag != kWaveFormatMpeg && formatTag != kWaveFormatMpegLayer3) {
    otherFormat_ = WaveEncodingName(formatTag);
    lastError_ = NotMpegAudio(otherFormat_);
    return false;
  }
  // A data chunk whose size was never filled in runs to the end of the file.
  *start = chunk.bodyOffset;
  *length = chunk.bodyBytes == 0 ? size - chunk.bodyOffset : chunk.BytesIn(size);
  return true;
}

int AudioSource::OpenMapped() {
  const uint8_t* view = file_.Data();
  const uint32_t size = file_.Size();
  // A trailing ID3v1 tag is not audio.
  const bool id3v1 = size >= 128 && std::memcmp(view + size - 128, "TAG", 3) == 0;
  uint32_t start = 0;
  uint32_t length = 0;
  if (size >= 4 && std::memcmp(view, "RIFF", 4) == 0) {
    if (!FindRiffStream(&start, &length)) return kCannotOpen;
  } else if (const char* name = ForeignFormatName(view, size)) {
    lastError_ = NotMpegAudio(name);
    otherFormat_ = name;
    return kCannotOpen;
  } else {
    if (!FindRawStream(id3v1 ? size - 128 : size, &start)) return kCannotOpen;
    length = size - start;
  }
  if (start + 4 > size) return kCannotOpen;

  dataStart_ = view + start;
  dataLength_ = length;
  if (id3v1 && start + length == size) dataLength_ = dataLength_ > 128 ? dataLength_ - 128 : 0;
  if (dataLength_ < 4) return kCannotOpen;
  paddingStart_ = dataLength_;
  while (paddingStart_ > 0 && dataStart_[paddingStart_ - 1] == 0) --paddingStart_;

  headerWindow_ = HeaderWindowOf(dataStart_);
  frameCounter_ = 0;
  // A wrapped stream must begin with a frame (a raw one always does).
  mpeg::initDecoder(decoder_);
  if (headerWindow_ == 0 || !ReadInfo(dataStart_, WindowAt(0), firstInfo_)) {
    lastError_ = "no MPEG audio frame where the RIFF data begins";
    return kCannotOpen;
  }
  if (firstInfo_.totalFrames == 0 && firstInfo_.minFrameLength > 0)
    firstInfo_.totalFrames =
        static_cast<int32_t>(dataLength_ / static_cast<uint32_t>(firstInfo_.minFrameLength));
  mpeg::startStream(decoder_, dataStart_, static_cast<int32_t>(dataLength_));

  const size_t bufferBytes = 64 * static_cast<size_t>(firstInfo_.outBytesPerFrame);
  pcmBuffer_ = new (std::nothrow) uint8_t[bufferBytes]();
  if (pcmBuffer_ == nullptr) {
    lastError_ = "out of memory";
    return kNoMemory;
  }
  position_ = 0;
  state_ = kStateOpen;
  return kOpened;
}

const PcmBlock* AudioSource::NextBlock() {
  if (state_ != kStateOpen || position_ >= dataLength_) return nullptr;
  const PcmBlock* result = nullptr;
  if (!fault_guard::Guard(file_.Data(), file_.Size(), [&] { result = DecodeNext(); })) {
    // The file shrank under the mapping: what is left cannot be read.
    position_ = dataLength_;
    return nullptr;
  }
  return result;
}

const PcmBlock* AudioSource::DecodeNext() {
  block_.blockIndex = frameCounter_;
  frameCounter_ = static_cast<uint16_t>(frameCounter_ + 1);
  block_.pcm = pcmBuffer_;
  mpeg::StreamInfo& info = block_.info;
  uint32_t sincePoll = 0;
  for (;;) {
    if (position_ >= dataLength_) return nullptr;
    if (++sincePoll == kCancelPollInterval) {
      sincePoll = 0;
      if (Cancelled()) return nullptr;
    }
    const uint8_t* frame = dataStart_ + position_;
    const uint32_t left = dataLength_ - position_;
    if (!ReadInfo(frame, WindowAt(position_), info)) {
      ++position_;
      ++work_.bytesSkipped;
      continue;
    }
    if (info.totalFrames == 0 && info.minFrameLength > 0)
      info.totalFrames = static_cast<int32_t>(left / static_cast<uint32_t>(info.minFrameLength) +
                                              block_.blockIndex - 1);
    // decodeFrame takes the header fields from the frame itself: the
    // request carries only where the frame is and where its PCM goes.
    request_.input = frame;
    const uint32_t length =
        static_cast<uint32_t>(info.padding == 1 ? info.maxFrameLength : info.minFrameLength);
    request_.available = static_cast<int32_t>(std::min(length, left));
    request_.output = pcmBuffer_;
    // A frame whose main data lies before what the reservoir holds writes
    // nothing; it must read as silence, not as the previous frame again.
    std::memset(pcmBuffer_, 0, static_cast<size_t>(info.outBytesPerFrame));
    ++work_.frameDecodes;
    if (mpeg::decodeFrame(decoder_, request_)) break;
    ++position_;
    ++work_.bytesSkipped;
  }
  block_.followsPrevious = lastFrameEnd_ == 0 || position_ == lastFrameEnd_;
  lastFramePosition_ = position_;
  const uint32_t advance = std::max<uint32_t>(
      1,
      static_cast<uint32_t>(info.tagFrameLength != 0
                                ? info.tagFrameLength
                                : (info.padding == 1 ? info.maxFrameLength : info.minFrameLength)));
  // Never past the end (nor round the 32-bit offset of a 4 GiB file).
  position_ = advance < dataLength_ - position_ ? position_ + advance : dataLength_;
  lastFrameEnd_ = position_;
  block_.pcmBytes = static_cast<uint32_t>(request_.outBytes);
  block_.dataPosition = position_;
  block_.dataLength = dataLength_;
  return &block_;
}
