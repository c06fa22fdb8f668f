// The two records through which the MPEG audio decoder talks to its users.
//
// StreamInfo describes a stream as one frame header (and an optional "Xing"
// or "VBRI" tag in that frame) presents it: header fields, the PCM the frame
// produces and the frame lengths a caller advances by.
// FrameRequest carries one frame in (its address and readable byte count)
// and its PCM out. Both begin with the same twelve header fields in the same
// order, which parseFrameHeader fills.
#pragma once

#include <cstdint>

namespace mpeg {

struct StreamInfo {
  std::int32_t version;           // 1 MPEG-1, 2 MPEG-2 (low sampling frequencies), 3 MPEG-2.5
  std::int32_t layer;             // 1, 2 or 3
  std::int32_t crcPresent;        // 1 when a 16-bit CRC follows the header
  std::int32_t bitrateIndex;      // header bits, 4 bits
  std::int32_t sampleRateIndex;   // header bits, 2 bits
  std::int32_t padding;           // padding bit
  std::int32_t privateBit;        // private bit
  std::int32_t mode;              // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
  std::int32_t modeExtension;     // 2 bits
  std::int32_t copyright;         // bit
  std::int32_t original;          // bit
  std::int32_t emphasis;          // 2 bits
  std::int32_t outChannels;       // channels of the PCM output, 1 or 2
  std::int32_t outBits;           // bits per PCM sample, always 16
  std::int32_t outSampleRate;     // output sampling rate in Hz
  std::int32_t bitrate;           // bits per second; 0 when the frame carries a VBR tag
  std::int32_t totalFrames;       // frame count from the VBR tag, else 0
  std::int32_t tagFrameLength;    // length of this frame when it carries a VBR tag, else 0
  std::int32_t totalBytes;        // byte count from the VBR tag, else 0
  std::int32_t minFrameLength;    // see readStreamInfo
  std::int32_t maxFrameLength;    // see readStreamInfo
  std::int32_t outBytesPerFrame;  // PCM bytes one frame of this stream produces
};

struct FrameRequest {
  std::int32_t version;  // fields 1-12 as in StreamInfo, written by decodeFrame
  std::int32_t layer;    // from the frame's own header
  std::int32_t crcPresent;
  std::int32_t bitrateIndex;
  std::int32_t sampleRateIndex;
  std::int32_t padding;
  std::int32_t privateBit;
  std::int32_t mode;
  std::int32_t modeExtension;
  std::int32_t copyright;
  std::int32_t original;
  std::int32_t emphasis;
  std::int32_t bitrate;       // this frame's bit rate in bits per second (written)
  const std::uint8_t* input;  // address of the frame's first header byte
  std::int32_t available;     // in: bytes readable from input; out: the frame's length
  std::uint8_t* output;       // where the frame's PCM (16-bit little-endian) is written
  std::int32_t outBytes;      // out: PCM bytes of the frame
};

}  // namespace mpeg
