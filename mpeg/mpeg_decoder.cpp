// The stream interface: stream information from a frame header and VBR tag,
// starting a stream, and decoding one frame through the stream's layer.
#include "mpeg/mpeg_decoder.h"

#include "mpeg/decoder_tables.h"
#include "mpeg/standard_tables.h"

namespace mpeg {

namespace {

// Bytes readStreamInfo insists on; more than any header plus tag it reads.
constexpr std::int32_t kStreamInfoMinimumBytes = 156;

// Layer III side-information bytes before a VBR tag.
int tagSideInfoBytes(const StreamInfo& info) {
  const bool singleChannel = info.mode == 3;
  if (info.version == 1) return singleChannel ? 17 : 32;
  return singleChannel ? 9 : 17;
}

// Frame length of `layer` at `bitrate` bits per second without padding.
std::int32_t unpaddedFrameLength(std::int32_t version, std::int32_t layer, std::int32_t bitrate,
                                 std::int32_t sampleRate) {
  if (layer == 1) return 4 * (12 * bitrate / sampleRate);
  if (layer == 2) return 144 * bitrate / sampleRate;
  const std::int32_t granuleDivisor = version == 1 ? 1 : 2;
  return 144 * bitrate / sampleRate / granuleDivisor;
}

// Bytes the padding bit adds: one slot, 4 bytes in Layer I and 1 in the others.
std::int32_t paddingSlotBytes(std::int32_t layer) {
  return layer == 1 ? 4 : 1;
}

// readStreamInfo; `recorder`, when given, keeps the frame's rate and PCM size.
int readStreamInfoInto(MpegDecoder* recorder, const std::uint8_t* frame, std::int32_t available,
                       StreamInfo& info) {
  if (available < kStreamInfoMinimumBytes) return 0;
  if (!parseFrameHeader(frame, info)) return 0;

  std::int32_t tagOffset = 4 + (info.crcPresent ? 2 : 0);
  if (info.layer == 3) tagOffset += tagSideInfoBytes(info);
  const std::uint8_t* tag = frame + tagOffset;

  const std::int32_t bitrate = bitrateKbps(info.version, info.layer, info.bitrateIndex) * 1000;
  const std::int32_t sampleRate = sampleRateHz(info.version, info.sampleRateIndex);

  bool hasTag = false;
  info.totalFrames = 0;
  info.totalBytes = 0;
  if (tag[0] == 'X' && tag[1] == 'i' && tag[2] == 'n' && tag[3] == 'g') {
    const std::uint32_t flags = readBigEndian32(tag + 4);
    const bool hasFrames = (flags & 1) != 0;
    const bool hasBytes = (flags & 2) != 0;
    if (!hasFrames && !hasBytes) return 0;
    // The optional fields follow the flags in order: frames, then bytes.
    if (hasFrames) info.totalFrames = std::int32_t(readBigEndian32(tag + 8));
    if (hasBytes) info.totalBytes = std::int32_t(readBigEndian32(tag + (hasFrames ? 12 : 8)));
    hasTag = true;
  } else if (tag[0] == 'V' && tag[1] == 'B' && tag[2] == 'R' && tag[3] == 'I') {
    info.totalBytes = std::int32_t(readBigEndian32(tag + 10));
    info.totalFrames = std::int32_t(readBigEndian32(tag + 14));
    hasTag = true;
  }

  const std::int32_t granuleDivisor = (info.layer == 3 && info.version != 1) ? 2 : 1;
  const std::int32_t samplesPerChannel = info.layer == 1 ? 384 : 1152 / granuleDivisor;
  const std::int32_t paddingSlot = paddingSlotBytes(info.layer);

  if (hasTag) {
    std::int32_t minRate = 0, maxRate = 0;
    for (int index = 1; index <= 14; ++index) {
      const std::int32_t rate = bitrateKbps(info.version, info.layer, index) * 1000;
      if (minRate == 0 || rate < minRate) minRate = rate;
      if (rate > maxRate) maxRate = rate;
    }
    info.tagFrameLength = unpaddedFrameLength(info.version, info.layer, bitrate, sampleRate) +
                          info.padding * paddingSlot;
    info.minFrameLength = unpaddedFrameLength(info.version, info.layer, minRate, sampleRate);
    info.maxFrameLength =
        unpaddedFrameLength(info.version, info.layer, maxRate, sampleRate) + paddingSlot;
  } else {
    info.tagFrameLength = 0;
    info.minFrameLength = unpaddedFrameLength(info.version, info.layer, bitrate, sampleRate);
    info.maxFrameLength = info.minFrameLength + paddingSlot;
  }

  info.outChannels = info.mode == 3 ? 1 : 2;
  info.outBits = 16;
  info.outBytesPerFrame = samplesPerChannel * info.outChannels * 2;
  if (recorder != nullptr) {
    recorder->streamSampleRate = sampleRate;
    recorder->frameOutputBytes = info.outBytesPerFrame;
  }
  info.outSampleRate = sampleRate;
  info.bitrate = hasTag ? 0 : bitrate;
  return 1;
}

}  // namespace

void initDecoder(MpegDecoder& decoder) {
  decoder.frequencyLimit = 24000;
  decoderTables();  // built once per process; later calls only look them up
}

int readStreamInfo(MpegDecoder& decoder, const std::uint8_t* frame, std::int32_t available,
                   StreamInfo& info, std::int32_t record) {
  return readStreamInfoInto(record == 1 ? &decoder : nullptr, frame, available, info);
}

int readStreamInfo(const std::uint8_t* frame, std::int32_t available, StreamInfo& info) {
  return readStreamInfoInto(nullptr, frame, available, info);
}

int startStream(MpegDecoder& decoder, const std::uint8_t* frame, std::int32_t available) {
  StreamInfo info{};
  if (!readStreamInfo(decoder, frame, available, info, 1)) return 0;
  resetSynthesis(decoder);
  switch (info.layer) {
    case 3:
      layer3Setup(decoder, info);
      decoder.layerRoutine = layer3DecodeFrame;
      return 1;
    case 2:
      // A refused Layer II stream still starts: its frames decode to silence.
      layer2Setup(decoder, info);
      decoder.layerRoutine = layer2DecodeFrame;
      return 1;
    default:
      layer1Setup(decoder, info);
      decoder.layerRoutine = layer1DecodeFrame;
      return 1;
  }
}

int decodeFrame(MpegDecoder& decoder, FrameRequest& request) {
  if (request.available <= 4) return 0;
  if (decoder.layerRoutine == nullptr || decoder.streamSampleRate <= 0)
    return 0;  // no stream started
  if (!parseFrameHeader(request.input, request)) return 0;

  const std::int32_t bitrate =
      bitrateKbps(request.version, request.layer, request.bitrateIndex) * 1000;
  request.bitrate = bitrate;
  // The length comes from the stream's recorded sampling rate, not the
  // frame's own.
  const std::int32_t frameLength =
      unpaddedFrameLength(request.version, request.layer, bitrate, decoder.streamSampleRate) +
      request.padding * paddingSlotBytes(request.layer);
  decoder.currentFrameLength = frameLength;
  if (request.available < frameLength) return 0;

  decoder.layerRoutine(decoder, request, request.input, request.available, request.output);
  request.available = frameLength;
  request.outBytes = decoder.frameOutputBytes;
  return 1;
}

void resetSynthesis(MpegDecoder& decoder) {
  clearSynthesis(decoder.synthesis);
}

}  // namespace mpeg
