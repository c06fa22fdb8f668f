// A raw MPEG audio file read whole into memory, and the frame walk that
// `decode` and `info` share: skipping a leading ID3v2 tag and a trailing
// ID3v1 tag, finding the first frame, and reading each frame's header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mpeg/mpeg_decoder.h"

struct MpegFile {
    std::vector<std::uint8_t> bytes;
    std::size_t audioStart = 0;  // after an ID3v2 tag
    std::size_t audioEnd = 0;    // before an ID3v1 tag
};

// Reads the file; on failure returns false and sets `error`.
bool LoadMpegFile(const std::string& path, MpegFile& file, std::string& error);

// readStreamInfo on the frame at `offset`, offered at least the 156 bytes it
// needs: near the end of the file the remaining bytes are copied into a
// zero-padded buffer first, so the last frames of a file are found too.
int ReadFrameInfo(mpeg::MpegDecoder& decoder, const MpegFile& file, std::size_t offset, mpeg::StreamInfo& info);

// The offset of the first frame at or after the audio start, or
// file.audioEnd when there is none.
std::size_t FindFirstFrame(mpeg::MpegDecoder& decoder, const MpegFile& file, mpeg::StreamInfo& info);
