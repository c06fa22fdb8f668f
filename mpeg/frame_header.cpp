// MPEG audio frame headers: unpacking, validation and the rate tables.
#include "mpeg/frame_header.h"

#include "mpeg/standard_tables.h"

namespace mpeg {

namespace {

// Fills the first twelve fields shared by StreamInfo and FrameRequest, then
// validates them in the order the decoder's interface fixes.
template <typename Record>
int unpackHeader(const std::uint8_t* header, Record& record) {
  const std::uint8_t b1 = header[1], b2 = header[2], b3 = header[3];
  const int idBit = (b1 >> 3) & 1;
  const int layerCode = (b1 >> 1) & 3;
  const int protectionBit = b1 & 1;
  record.version = idBit;
  record.layer = layerCode;
  record.crcPresent = protectionBit;
  record.bitrateIndex = (b2 >> 4) & 15;
  record.sampleRateIndex = (b2 >> 2) & 3;
  record.padding = (b2 >> 1) & 1;
  record.privateBit = b2 & 1;
  record.mode = (b3 >> 6) & 3;
  record.modeExtension = (b3 >> 4) & 3;
  record.copyright = (b3 >> 3) & 1;
  record.original = (b3 >> 2) & 1;
  record.emphasis = b3 & 3;

  if (header[0] != 0xFF) return 0;
  const int highNibble = b1 >> 4;
  if (highNibble == 0xF) {
    record.version = idBit == 1 ? 1 : 2;
  } else if (highNibble == 0xE) {
    record.version = 3;  // MPEG-2.5, whatever the ID bit says
  } else {
    return 0;
  }
  if (record.sampleRateIndex >= 3 || record.bitrateIndex < 1 || record.bitrateIndex > 14 ||
      layerCode < 1) {
    return 0;
  }
  record.layer = 4 - layerCode;
  record.crcPresent = 1 - protectionBit;
  return 1;
}

}  // namespace

int parseFrameHeader(const std::uint8_t* header, StreamInfo& info) {
  return unpackHeader(header, info);
}

int parseFrameHeader(const std::uint8_t* header, FrameRequest& request) {
  return unpackHeader(header, request);
}

std::uint32_t readBigEndian32(const std::uint8_t* bytes) {
  return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) |
         (std::uint32_t(bytes[2]) << 8) | std::uint32_t(bytes[3]);
}

std::int32_t bitrateKbps(std::int32_t version, std::int32_t layer, std::int32_t bitrateIndex) {
  if (version < 1 || version > 3 || layer < 1 || layer > 3 || bitrateIndex < 0 || bitrateIndex > 15)
    return 0;
  return kBitrateKbps[3 * version + layer - 4][bitrateIndex];
}

std::int32_t sampleRateHz(std::int32_t version, std::int32_t sampleRateIndex) {
  if (version < 1 || version > 3 || sampleRateIndex < 0 || sampleRateIndex > 3) return 0;
  return kSampleRateHz[version - 1][sampleRateIndex];
}

}  // namespace mpeg
