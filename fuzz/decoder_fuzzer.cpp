// libFuzzer target for the MPEG audio decoder: a stream started on a valid
// first frame, then arbitrary bytes fed frame by frame as the audio source
// feeds a file.
//
// The input is taken as a raw MPEG audio stream. Its first four bytes are
// made into a valid frame header (sync set, and a reserved layer, sampling
// rate or bit-rate index replaced by a usable one), so every input starts a
// stream of one of the three layers, versions and modes, and a real file
// cut at a frame boundary passes through unchanged. From there the loop does
// what the audio source does: readStreamInfo at the current position (a
// zero-padded copy near the end), on success decodeFrame with the frame's
// length (at most what is left) and an advance by the frame length it gave,
// on failure one byte on.
//
// Every call gets its own heap copy of exactly the bytes it is offered and
// the PCM buffer is exactly one frame of the stream, so that AddressSanitizer
// reports any read beyond the offered bytes and any write beyond the frame's
// PCM.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "mpeg/mpeg_decoder.h"

namespace {

// Bytes readStreamInfo needs offered (it reads at most the first 56).
constexpr std::size_t kStreamInfoBytes = 156;

// The first frame's header made valid: sync, high nibble 0xE or 0xF (bit 4
// chooses), layer code 0 -> Layer III, bit-rate index 0 -> 1 and 15 -> 14,
// sampling-rate index 3 -> 0. Other bits are kept.
void makeHeaderValid(std::uint8_t* header) {
  header[0] = 0xFF;
  header[1] |= 0xE0;
  if (((header[1] >> 1) & 3) == 0) header[1] |= 2;
  const int bitrateIndex = header[2] >> 4;
  if (bitrateIndex == 0) header[2] = std::uint8_t((header[2] & 0x0F) | 0x10);
  if (bitrateIndex == 15) header[2] = std::uint8_t((header[2] & 0x0F) | 0xE0);
  if (((header[2] >> 2) & 3) == 3) header[2] &= 0xF3;
}

// readStreamInfo on the `count` bytes at `bytes`. It is given a heap copy
// of the first 156 of them and told that 156 are readable, which changes
// nothing in what it returns (it needs 156 and reads at most 56) but lets
// AddressSanitizer hold it to them; fewer than 156 are zero-padded, as the
// audio source does for the last frames of a file.
int readInfo(mpeg::MpegDecoder& decoder, const std::uint8_t* bytes, std::size_t count,
             mpeg::StreamInfo& info) {
  const std::size_t offered = kStreamInfoBytes;
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[offered]());
  std::memcpy(copy.get(), bytes, std::min(count, offered));
  return mpeg::readStreamInfo(decoder, copy.get(), std::int32_t(offered), info, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4 || size > (1u << 20)) return 0;
  std::vector<std::uint8_t> stream(data, data + size);
  makeHeaderValid(stream.data());

  auto decoder = std::make_unique<mpeg::MpegDecoder>();
  mpeg::initDecoder(*decoder);

  mpeg::StreamInfo first{};
  if (!readInfo(*decoder, stream.data(), std::min(size, kStreamInfoBytes), first))
    return 0;  // "Xing" without counts
  {
    const std::size_t offered = std::max(size, kStreamInfoBytes);
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[offered]());
    std::memcpy(copy.get(), stream.data(), size);
    if (!mpeg::startStream(*decoder, copy.get(), std::int32_t(offered))) return 0;
  }

  const std::size_t outputBytes = std::size_t(first.outBytesPerFrame);
  std::unique_ptr<std::uint8_t[]> output(new std::uint8_t[outputBytes]);

  std::size_t position = 0;
  while (position < size) {
    const std::uint8_t* frame = stream.data() + position;
    const std::size_t left = size - position;
    mpeg::StreamInfo info{};
    if (!readInfo(*decoder, frame, left, info)) {
      ++position;
      continue;
    }
    const std::size_t length =
        std::size_t(info.padding == 1 ? info.maxFrameLength : info.minFrameLength);
    const std::size_t offered = std::min(length, left);
    std::unique_ptr<std::uint8_t[]> input(new std::uint8_t[offered > 0 ? offered : 1]);
    std::memcpy(input.get(), frame, offered);

    // decodeFrame fills the header fields from the frame itself.
    mpeg::FrameRequest request{};
    request.input = input.get();
    request.available = std::int32_t(offered);
    request.output = output.get();
    std::memset(output.get(), 0, outputBytes);
    if (!mpeg::decodeFrame(*decoder, request)) {
      ++position;
      continue;
    }
    const std::size_t advance = std::size_t(
        info.tagFrameLength != 0 ? info.tagFrameLength
                                 : (info.padding == 1 ? info.maxFrameLength : info.minFrameLength));
    position += std::max<std::size_t>(advance, 1);
  }
  return 0;
}
