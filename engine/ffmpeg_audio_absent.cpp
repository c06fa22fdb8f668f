// FfmpegAudio for builds without FFmpeg's libraries (the Windows build for
// now): every Open fails with a reason that names the format, so that a
// file of another format is reported as one this build cannot decode,
// exactly as with the formats switched off. See ffmpeg_audio.h.
#include "engine/ffmpeg_audio.h"

struct FfmpegAudio::Decoder {};

bool FfmpegAudio::Available() {
  return false;
}

FfmpegAudio::FfmpegAudio() = default;

FfmpegAudio::~FfmpegAudio() {
  Close();
}

void FfmpegAudio::Close() {
  decoder_.reset();
  block_ = PcmBlock{};
}

bool FfmpegAudio::IsOpen() const {
  return false;
}

std::string FfmpegAudio::CodecName() const {
  return "";
}

bool FfmpegAudio::Fail(const std::string& reason) {
  lastError_ = reason;
  decoder_.reset();
  return false;
}

bool FfmpegAudio::Open(const std::string& /*path*/, const char* formatName) {
  Close();
  const std::string format = formatName != nullptr ? formatName : "not MPEG audio";
  return Fail("not MPEG audio (" + format + "): this build decodes MPEG audio and WAVE only");
}

const PcmBlock* FfmpegAudio::NextBlock() {
  return nullptr;
}

bool FfmpegAudio::Complete() {
  return false;
}

bool FfmpegAudio::SetUpConverter() {
  return false;
}

const PcmBlock* FfmpegAudio::Convert() {
  return nullptr;
}
