// MPEG audio frame headers: unpacking the four header bytes, validating
// them, and the bit-rate and sampling-rate tables that give a header its
// meaning. Shared by every layer and by the stream interface.
#pragma once

#include <cstdint>

#include "mpeg/stream_records.h"

namespace mpeg {

// Unpacks the four header bytes at `header` into fields 1-12 of the record
// and validates them. Returns 1 for a usable header, 0 otherwise (no sync,
// reserved sampling rate, free format or forbidden bit-rate index, reserved
// layer); on failure the fields hold the raw header bits. Reads exactly the
// four bytes at `header`.
int parseFrameHeader(const std::uint8_t* header, StreamInfo& info);
int parseFrameHeader(const std::uint8_t* header, FrameRequest& request);

// The four bytes at `bytes` as an unsigned big-endian number.
std::uint32_t readBigEndian32(const std::uint8_t* bytes);

// Bit rate in kbit/s for version 1-3, layer 1-3 and bitrate_index 0-15
// (0 for the free-format index 0 and the forbidden index 15).
std::int32_t bitrateKbps(std::int32_t version, std::int32_t layer, std::int32_t bitrateIndex);

// Sampling rate in Hz for version 1-3 and sampling_frequency index 0-3
// (0 for the reserved index 3).
std::int32_t sampleRateHz(std::int32_t version, std::int32_t sampleRateIndex);

}  // namespace mpeg
