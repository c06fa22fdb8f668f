// `tempyra-cli decode`: the 16-bit PCM of every frame the audio source
// delivers, in order, exactly as the analysis sees it.
#include "cli/decode_command.h"

#include <cstdio>

#include "engine/audio_source.h"

int RunDecodeCommand(const std::vector<std::string>& args) {
  std::string input, outputPath;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      outputPath = args[++i];
    } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
      input = args[i];
    } else {
      input.clear();
      break;
    }
  }
  if (input.empty()) {
    std::fprintf(stderr, "usage: tempyra-cli decode FILE [-o OUT.raw]\n");
    return 2;
  }

  AudioSource source;
  if (source.Open(input) != AudioSource::kOpened) {
    std::fprintf(stderr, "tempyra-cli: %s: %s\n", input.c_str(), source.LastError().c_str());
    return 1;
  }
  std::FILE* out = stdout;
  if (!outputPath.empty()) {
    out = std::fopen(outputPath.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "tempyra-cli: cannot write %s\n", outputPath.c_str());
      return 1;
    }
  }
  const mpeg::StreamInfo& first = source.FirstInfo();
  const int rate = first.outSampleRate, channels = first.outChannels;
  long frames = 0;
  bool writeFailed = false;
  while (const PcmBlock* block = source.NextBlock()) {
    if (std::fwrite(block->pcm, 1, block->pcmBytes, out) != block->pcmBytes) writeFailed = true;
    ++frames;
  }
  if (out != stdout) {
    if (std::fclose(out) != 0) writeFailed = true;
  } else if (std::fflush(out) != 0) {
    writeFailed = true;
  }
  std::fprintf(stderr, "rate=%d channels=%d frames=%ld\n", rate, channels, frames);
  if (writeFailed) {
    std::fprintf(stderr, "tempyra-cli: writing the PCM failed\n");
    return 1;
  }
  return 0;
}
