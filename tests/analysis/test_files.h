// Builders of small MPEG audio files for the audio source and job tests:
// silent Layer III frames made byte by byte (zero side information decodes
// to silence), VBR tag frames, ID3 tags, RIFF wrappers, and temporary files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct FrameShape {
  int version = 1;          // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int bitrateIndex = 9;     // 128 kbit/s for MPEG-1
  int sampleRateIndex = 0;  // 44100 Hz for MPEG-1
  int padding = 0;
  int mode = 1;  // joint stereo
};

// Length in bytes of a Layer III frame of this shape.
uint32_t Layer3FrameLength(const FrameShape& shape);
// One silent Layer III frame.
Bytes SilentLayer3Frame(const FrameShape& shape);
// `count` silent frames, one after another.
Bytes SilentStream(const FrameShape& shape, uint32_t count);
// The same with the last byte of every frame set (ancillary data, which
// decodes to the same silence): a stream that does not end in zero bytes.
Bytes SilentStreamEndingInData(const FrameShape& shape, uint32_t count);
// A frame of this shape carrying a "Xing" tag with the given frame count.
Bytes XingFrame(const FrameShape& shape, uint32_t frames, uint32_t bytes);
// An ID3v2 tag of `size` payload bytes (filled with `fill`), flags as given.
Bytes Id3v2Tag(uint32_t size, uint8_t flags, uint8_t fill = 0x55);
// A RIFF WAVE header with a format chunk of `formatBytes` (16, 30 or 32),
// an optional "fact" chunk and the "data" chunk header.
Bytes WaveHeader(uint32_t formatBytes, bool fact, uint32_t dataBytes, uint16_t formatTag);
Bytes Rmp3Header(uint32_t dataBytes);

Bytes Concat(std::initializer_list<Bytes> parts);
// The path of `name` in this test process's own temporary folder (made on
// first use, removed with its contents when the process ends); nothing is
// created at that path.
std::string TempPath(const std::string& name);
// Writes a file into that folder and returns its path.
std::string WriteTempFile(const std::string& name, const Bytes& bytes);
