// `tempyra-cli decode`: the 16-bit PCM of every frame the audio source
// delivers, in order, exactly as the analysis sees it.
#include "cli/decode_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "cli/output_stream.h"
#include "cli/text_encoding.h"
#include "engine/audio_source.h"

namespace {

const char kDecodeUsage[] =
    "usage: tempyra-cli decode [-o OUT.raw] [--] FILE\n"
    "  Writes the 16-bit little-endian PCM of every frame of the MPEG audio in\n"
    "  FILE, in order, to OUT.raw (standard output without -o), and\n"
    "  \"rate=R channels=C frames=N\" to standard error.\n"
    "options:\n"
    "  -o OUT.raw   the file to write (never the input itself)\n"
    "  --help       this text\n"
    "  --           every argument after it is the file, even one that begins with a dash\n";

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int UsageError(const char* what) {
  std::fprintf(stderr, "tempyra-cli decode: %s\n%s", what, kDecodeUsage);
  return 2;
}

}  // namespace

int RunDecodeCommand(const std::vector<std::string>& args) {
  std::string input, outputPath;
  bool haveInput = false, haveOutput = false, onlyPaths = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!onlyPaths && (arg == "--help" || arg == "-h")) return PrintHelp(kDecodeUsage);
    if (!onlyPaths && arg == "--") {
      onlyPaths = true;
    } else if (!onlyPaths && arg == "-o") {
      if (i + 1 >= args.size() || haveOutput) return UsageError("-o needs one file");
      outputPath = args[++i];
      haveOutput = true;
    } else if (!onlyPaths && arg.size() > 1 && arg[0] == '-') {
      return UsageError(("unknown option " + QuoteName(arg)).c_str());
    } else if (!haveInput) {
      input = arg;
      haveInput = true;
    } else {
      return UsageError("one file at a time");
    }
  }
  if (!haveInput) return UsageError("no file given");
  const std::string shownInput = QuoteName(input);

  // Writing over the input (also through a link) would destroy it before it
  // is read: refuse before anything is opened for writing.
  struct stat in, out;
  if (stat(input.c_str(), &in) == 0) {
    const bool toItself = haveOutput ? stat(outputPath.c_str(), &out) == 0 && SameFile(in, out)
                                     : fstat(STDOUT_FILENO, &out) == 0 && SameFile(in, out);
    if (toItself) {
      std::fprintf(stderr, "tempyra-cli: %s: the output is the input file itself; not written\n",
                   shownInput.c_str());
      return 1;
    }
  }

  AudioSource source;
  if (source.Open(input) != AudioSource::kOpened) {
    std::fprintf(stderr, "tempyra-cli: %s: %s\n", shownInput.c_str(), source.LastError().c_str());
    return 1;
  }
  std::FILE* stream = stdout;
  if (haveOutput) {
    stream = std::fopen(outputPath.c_str(), "wb");
    if (stream == nullptr) {
      std::perror(("tempyra-cli: cannot write " + QuoteName(outputPath)).c_str());
      return 1;
    }
  }
  OutputStream output(stream, haveOutput ? QuoteName(outputPath) : "standard output");
  const mpeg::StreamInfo& first = source.FirstInfo();
  const int rate = first.outSampleRate, channels = first.outChannels;
  long frames = 0;
  while (const PcmBlock* block = source.NextBlock()) {
    if (!output.Write(block->pcm, block->pcmBytes)) break;  // no use decoding on
    ++frames;
  }
  if (!output.Finish()) {
    std::fprintf(stderr, "tempyra-cli: %s\n", output.ErrorText().c_str());
    return 1;
  }
  std::fprintf(stderr, "rate=%d channels=%d frames=%ld\n", rate, channels, frames);
  return 0;
}
