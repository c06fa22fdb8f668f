// The MPEG audio decoder's outward face: one MpegDecoder object per stream
// and the operations over it.
//
// Calling order: initDecoder once; readStreamInfo as often as wanted;
// startStream on the first frame of a stream; decodeFrame once per frame in
// stream order. startStream again begins a new stream. Every operation that
// can fail returns 1 on success and 0 on failure.
//
// The decoder works on memory the caller holds and never allocates, reads a
// file, or touches a thread or clock. Its constant tables are built once per
// process and only read afterwards, so decoders of different streams may run
// on different threads at the same time; one decoder serves one thread.
#pragma once

#include <cstdint>

#include "mpeg/frame_header.h"
#include "mpeg/layer12_decoder.h"
#include "mpeg/layer3_decoder.h"
#include "mpeg/stream_records.h"
#include "mpeg/synthesis.h"

namespace mpeg {

struct MpegDecoder;

// The frame routine of one layer, chosen by startStream.
using LayerRoutine = void (*)(MpegDecoder& decoder, FrameRequest& request,
                              const std::uint8_t* input, std::int32_t available,
                              std::uint8_t* output);

struct MpegDecoder {
  std::int32_t frequencyLimit = 0;      // highest frequency (Hz) the layers decode
  std::int32_t streamSampleRate = 0;    // recorded by readStreamInfo
  std::int32_t frameOutputBytes = 0;    // recorded by readStreamInfo
  std::int32_t currentFrameLength = 0;  // length of the frame being decoded
  LayerRoutine layerRoutine = nullptr;  // chosen by startStream; none before it
  SynthesisState synthesis{};
  Layer12State layer12{};
  Layer3State layer3{};
};

// Sets the frequency limit to 24000 Hz and makes sure the shared tables are
// built (they are built once per process, whoever asks first).
void initDecoder(MpegDecoder& decoder);

// Reads the header (and a "Xing"/"VBRI" tag) of the frame at `frame`, of
// which `available` bytes are readable, into `info`. Needs at least 156
// readable bytes and reads at most the first 56. With `record` 1 the
// decoder also keeps the frame's sampling rate and PCM size per frame.
int readStreamInfo(MpegDecoder& decoder, const std::uint8_t* frame, std::int32_t available,
                   StreamInfo& info, std::int32_t record);
// The same without recording anything (for callers that only look).
int readStreamInfo(const std::uint8_t* frame, std::int32_t available, StreamInfo& info);

// Begins a stream at its first frame: records it, clears the synthesis
// history and sets up the frame's layer. Returns 0 when the frame header is
// unreadable. A Layer II stream whose bit rate and mode the standard does
// not allow still starts; its frames decode to silence.
int startStream(MpegDecoder& decoder, const std::uint8_t* frame, std::int32_t available);

// Decodes the frame at request.input (request.available bytes readable) into
// request.output; see FrameRequest. Fails before startStream.
int decodeFrame(MpegDecoder& decoder, FrameRequest& request);

// Clears both channels' synthesis history and ring positions.
void resetSynthesis(MpegDecoder& decoder);

}  // namespace mpeg
