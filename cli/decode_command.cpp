// `tempyra-cli decode`: the 16-bit PCM of every frame the audio source
// delivers, in order, exactly as the analysis sees it.
#include "cli/decode_command.h"

#include <cstdio>

#include "cli/output_stream.h"
#include "cli/text_encoding.h"
#include "engine/audio_source.h"
#include "platform/console.h"
#include "platform/file_identity.h"
#include "platform/utf8_path.h"

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
  if (const std::optional<FileIdentity> in = IdentityOfPath(input)) {
    const std::optional<FileIdentity> out =
        haveOutput ? IdentityOfPath(outputPath) : IdentityOfStream(stdout);
    if (out == in) {
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
    stream = OpenStdioFile(outputPath, "wb");
    if (stream == nullptr) {
      std::perror(("tempyra-cli: cannot write " + QuoteName(outputPath)).c_str());
      return 1;
    }
  }
  // PCM is bytes: standard output must not turn 0x0A into 0x0D 0x0A.
  if (!haveOutput && !UseBinaryOutput(stdout)) {
    std::fprintf(stderr, "tempyra-cli: cannot switch standard output to binary\n");
    return 1;
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
