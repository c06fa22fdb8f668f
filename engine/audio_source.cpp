// AudioSource: layout recognition, the raw sync scan and frame-by-frame
// decoding from the mapped file. See audio_source.h.
#include "engine/audio_source.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/fault_guard.h"

namespace {

// Smallest number of bytes readStreamInfo accepts.
constexpr uint32_t kMinInfoBytes = 156;
// Scans poll the cancel flag once per this many positions.
constexpr uint32_t kCancelPollInterval = 1u << 16;

struct HeaderLimits {
  uint16_t versionFlag;  // 1 when the ID bit is 0 (MPEG-2 or MPEG-2.5)
  uint16_t bitrateKbps;  // the Layer III rate of the header's version
  uint16_t sampleRate;   // MPEG-1 or MPEG-2 rates by the ID bit alone
  uint16_t bytes;        // bit rate x 144000 / sampling rate, 0 when unknown
};

// How many bytes to offer readStreamInfo for frames like the one at p (four
// bytes readable): an upper bound on a frame's length from its header.
HeaderLimits WindowOfHeader(const uint8_t* p) {
  HeaderLimits w{};
  w.versionFlag = (p[1] & 0x08) ? 0 : 1;
  const int version = w.versionFlag ? 2 : 1;
  w.bitrateKbps = static_cast<uint16_t>(mpeg::bitrateKbps(version, 3, p[2] >> 4));
  w.sampleRate = static_cast<uint16_t>(mpeg::sampleRateHz(version, (p[2] >> 2) & 3));
  if (w.bitrateKbps != 0 && w.sampleRate != 0)
    w.bytes = static_cast<uint16_t>(w.bitrateKbps * 144000u / w.sampleRate);
  return w;
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
  firstVersionFlag_ = firstBitrateKbps_ = firstSampleRate_ = 0;
  headerWindow_ = 0;
  frameCounter_ = 0;
  lastFramePosition_ = 0;
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
    if (lastError_.empty())
      lastError_ =
          ran ? "not an audio file we can read" : "cannot open: the file changed while it was read";
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

// Sync scan of a raw stream: the first candidate header at which
// readStreamInfo succeeds, passing over ID3v2 tags whole.
bool AudioSource::FindRawStream(uint32_t* start) {
  const uint8_t* view = file_.Data();
  const uint32_t size = file_.Size();
  uint32_t at = 0;
  uint32_t sincePoll = 0;
  while (at < size) {
    if (++sincePoll == kCancelPollInterval) {
      sincePoll = 0;
      if (Cancelled()) return false;
    }
    const uint32_t left = size - at;
    const uint8_t* p = view + at;
    if (left >= 4 && p[0] == 0xFF && (p[1] & 0xE0) == 0xE0) {
      HeaderLimits w = WindowOfHeader(p);
      if (w.bytes != 0) {
        uint32_t offered = std::min<uint32_t>(std::max<uint32_t>(w.bytes, kMinInfoBytes), left);
        mpeg::StreamInfo info;
        if (ReadInfo(p, offered, info)) {
          *start = at;
          return true;
        }
      }
      ++at;
    } else if (left >= 10 && p[0] == 'I' && p[1] == 'D' && p[2] == '3' && p[3] < 0xFF &&
               p[4] < 0xFF && (p[5] & 0x0F) == 0 && p[6] < 0x80 && p[7] < 0x80 && p[8] < 0x80 &&
               p[9] < 0x80) {
      uint64_t tag =
          10 + ((uint32_t(p[6]) << 21) | (uint32_t(p[7]) << 14) | (uint32_t(p[8]) << 7) | p[9]);
      if (p[5] & 0x10) tag += 10;  // footer
      at = static_cast<uint32_t>(std::min<uint64_t>(at + tag, size));
    } else {
      ++at;
    }
  }
  return false;
}

int AudioSource::OpenMapped() {
  const uint8_t* view = file_.Data();
  const uint32_t size = file_.Size();
  uint32_t start = 0;
  if (size >= 4 && std::memcmp(view, "RIFF", 4) == 0) {
    auto at = [&](uint32_t offset, const char* text) {
      return offset + 4 <= size && std::memcmp(view + offset, text, 4) == 0;
    };
    if (size >= 15 && std::memcmp(view + 8, "WAVEfmt", 7) == 0) {
      if (at(50, "fact"))
        start = 70;
      else if (at(52, "fact"))
        start = 72;
      else if (at(50, "data"))
        start = 58;
      else
        return kCannotOpen;
    } else if (at(8, "RMP3") && at(12, "data")) {
      start = 20;
    } else {
      return kCannotOpen;
    }
  } else if (!FindRawStream(&start)) {
    return kCannotOpen;
  }
  if (start + 4 > size) return kCannotOpen;

  dataStart_ = view + start;
  dataLength_ = size - start;
  if (size >= 128 && std::memcmp(view + size - 128, "TAG", 3) == 0)
    dataLength_ = dataLength_ > 128 ? dataLength_ - 128 : 0;
  if (dataLength_ < 4) return kCannotOpen;

  const HeaderLimits w = WindowOfHeader(dataStart_);
  firstVersionFlag_ = w.versionFlag;
  firstBitrateKbps_ = w.bitrateKbps;
  firstSampleRate_ = w.sampleRate;
  headerWindow_ = w.bytes;
  frameCounter_ = 0;
  // A wrapped stream must begin with a valid header: without a window there
  // is nothing to decode.
  if (headerWindow_ == 0) return kCannotOpen;

  mpeg::initDecoder(decoder_);
  if (!ReadInfo(dataStart_, WindowAt(0), firstInfo_)) return kCannotOpen;
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
  request_ = {};
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
    request_.version = info.version;
    request_.layer = info.layer;
    request_.crcPresent = info.crcPresent;
    request_.bitrateIndex = info.bitrateIndex;
    request_.sampleRateIndex = info.sampleRateIndex;
    request_.padding = info.padding;
    request_.privateBit = info.privateBit;
    request_.mode = info.mode;
    request_.modeExtension = info.modeExtension;
    request_.copyright = info.copyright;
    request_.original = info.original;
    request_.emphasis = info.emphasis;
    request_.bitrate = info.bitrate;
    request_.input = frame;
    const uint32_t length =
        static_cast<uint32_t>(info.padding == 1 ? info.maxFrameLength : info.minFrameLength);
    request_.available = static_cast<int32_t>(std::min(length, left));
    request_.output = pcmBuffer_;
    request_.outBytes = info.outBytesPerFrame;
    // A frame whose main data lies before what the reservoir holds writes
    // nothing; it must read as silence, not as the previous frame again.
    std::memset(pcmBuffer_, 0, static_cast<size_t>(info.outBytesPerFrame));
    ++work_.frameDecodes;
    if (mpeg::decodeFrame(decoder_, request_)) break;
    ++position_;
    ++work_.bytesSkipped;
  }
  lastFramePosition_ = position_;
  const uint32_t advance = std::max<uint32_t>(
      1,
      static_cast<uint32_t>(info.tagFrameLength != 0
                                ? info.tagFrameLength
                                : (info.padding == 1 ? info.maxFrameLength : info.minFrameLength)));
  // Never past the end (nor round the 32-bit offset of a 4 GiB file).
  position_ = advance < dataLength_ - position_ ? position_ + advance : dataLength_;
  block_.pcmBytes = static_cast<uint32_t>(request_.outBytes);
  block_.dataPosition = position_;
  block_.dataLength = dataLength_;
  return &block_;
}
