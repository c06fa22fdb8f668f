// A decoder over one test stream, for the frame tests of every layer: starts
// the stream at its first frame and decodes frames into a PCM buffer that is
// filled with 0x55 before each frame, with guard bytes behind the largest
// frame's PCM, so that tests see what a frame wrote and what it left alone.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "mpeg/mpeg_decoder.h"

struct TestStream {
  static constexpr std::uint8_t kUnwritten = 0x55;
  // The largest frame's PCM (Layer II/III MPEG-1 stereo) and the guard behind it.
  static constexpr std::size_t kLargestFrameBytes = 4608;
  static constexpr std::size_t kGuardBytes = 256;

  std::unique_ptr<mpeg::MpegDecoder> decoder = std::make_unique<mpeg::MpegDecoder>();
  std::vector<std::uint8_t> pcm =
      std::vector<std::uint8_t>(kLargestFrameBytes + kGuardBytes, kUnwritten);
  int outBytes = 0;  // of the last frame decoded

  // Starts the stream at `first` (padded to the 156 bytes the stream
  // information needs); a `frequencyLimit` other than 0 replaces the
  // decoder's before the start.
  explicit TestStream(const std::vector<std::uint8_t>& first, int frequencyLimit = 0) {
    mpeg::initDecoder(*decoder);
    if (frequencyLimit) decoder->frequencyLimit = frequencyLimit;
    std::vector<std::uint8_t> padded = first;
    padded.resize(std::max<std::size_t>(first.size(), 156));
    EXPECT_EQ(mpeg::startStream(*decoder, padded.data(), int(padded.size())), 1);
  }

  // Decodes one frame; returns decodeFrame's result.
  int decode(const std::vector<std::uint8_t>& frame) {
    std::fill(pcm.begin(), pcm.end(), kUnwritten);
    mpeg::FrameRequest r{};
    r.input = frame.data();
    r.available = int(frame.size());
    r.output = pcm.data();
    const int ok = mpeg::decodeFrame(*decoder, r);
    outBytes = r.outBytes;
    return ok;
  }

  // True when the last frame wrote nothing at all.
  bool untouched() const { return guardIntact(0); }
  // True when nothing from `bytes` on was written.
  bool guardIntact(int bytes) const {
    return std::all_of(pcm.begin() + bytes, pcm.end(),
                       [](std::uint8_t b) { return b == kUnwritten; });
  }
  // True when the first `bytes` bytes are all 0.
  bool silent(int bytes) const {
    return std::all_of(pcm.begin(), pcm.begin() + bytes, [](std::uint8_t b) { return b == 0; });
  }
};
