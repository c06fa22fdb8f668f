// `tempyra-cli info`: opens the file as the analysis does and prints the
// stream information of its first frame.
#include "cli/info_command.h"

#include <cstdio>

#include "engine/audio_source.h"

int RunInfoCommand(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tempyra-cli info FILE\n");
    return 2;
  }
  AudioSource source;
  if (source.Open(args[0]) != AudioSource::kOpened) {
    std::fprintf(stderr, "tempyra-cli: %s: %s\n", args[0].c_str(), source.LastError().c_str());
    return 1;
  }
  // totalFrames: the VBR tag's count, or the source's estimate from the
  // length of the data.
  const mpeg::StreamInfo& s = source.FirstInfo();
  const struct {
    const char* name;
    std::int32_t value;
  } fields[] = {
      {"version", s.version},
      {"layer", s.layer},
      {"crcPresent", s.crcPresent},
      {"bitrateIndex", s.bitrateIndex},
      {"sampleRateIndex", s.sampleRateIndex},
      {"padding", s.padding},
      {"privateBit", s.privateBit},
      {"mode", s.mode},
      {"modeExtension", s.modeExtension},
      {"copyright", s.copyright},
      {"original", s.original},
      {"emphasis", s.emphasis},
      {"outChannels", s.outChannels},
      {"outBits", s.outBits},
      {"outSampleRate", s.outSampleRate},
      {"bitrate", s.bitrate},
      {"totalFrames", s.totalFrames},
      {"tagFrameLength", s.tagFrameLength},
      {"totalBytes", s.totalBytes},
      {"minFrameLength", s.minFrameLength},
      {"maxFrameLength", s.maxFrameLength},
      {"outBytesPerFrame", s.outBytesPerFrame},
  };
  for (const auto& field : fields) std::printf("%s=%d\n", field.name, field.value);
  return 0;
}
