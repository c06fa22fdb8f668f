// `tempyra-cli info`: opens the file as the analysis does and prints the
// stream information of its first frame.
#include "cli/info_command.h"

#include <cstdio>
#include <string>

#include "cli/output_stream.h"
#include "cli/text_encoding.h"
#include "engine/audio_source.h"

namespace {

const char kInfoUsage[] =
    "usage: tempyra-cli info [--] FILE\n"
    "  Prints the stream information of the first MPEG audio frame of FILE as\n"
    "  name=value lines; totalFrames is the VBR tag's count or an estimate\n"
    "  from the length of the data.\n"
    "options:\n"
    "  --help       this text\n"
    "  --           every argument after it is the file, even one that begins with a dash\n";

}  // namespace

int RunInfoCommand(const std::vector<std::string>& args) {
  std::vector<std::string> paths;
  bool onlyPaths = false;
  for (const std::string& arg : args) {
    if (!onlyPaths && (arg == "--help" || arg == "-h")) return PrintHelp(kInfoUsage);
    if (!onlyPaths && arg == "--") {
      onlyPaths = true;
    } else if (!onlyPaths && arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "tempyra-cli info: unknown option %s\n%s", QuoteName(arg).c_str(),
                   kInfoUsage);
      return 2;
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 1) {
    std::fprintf(stderr, "tempyra-cli info: one file, please\n%s", kInfoUsage);
    return 2;
  }
  AudioSource source;
  if (source.Open(paths[0]) != AudioSource::kOpened) {
    std::fprintf(stderr, "tempyra-cli: %s: %s\n", QuoteName(paths[0]).c_str(),
                 source.LastError().c_str());
    return 1;
  }
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
  OutputStream out(stdout, "standard output");
  for (const auto& field : fields) {
    if (!out.Write(std::string(field.name) + "=" + std::to_string(field.value) + "\n")) break;
  }
  if (!out.Finish()) {
    std::fprintf(stderr, "tempyra-cli: %s\n", out.ErrorText().c_str());
    return 1;
  }
  return 0;
}
