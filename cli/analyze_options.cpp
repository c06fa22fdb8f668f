// Parsing of the analyze options. See analyze_options.h.
#include "cli/analyze_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

const char* const kAnalyzeUsage =
    "usage: tempyra-cli analyze [options] [--] PATH...\n"
    "  Measures the tempo of every file given, and of the audio files in every\n"
    "  folder given (searched recursively), one line per file in the order given:\n"
    "  MPEG audio and WAV, and FLAC, M4A, Ogg, Opus, AIFF and WMA through FFmpeg.\n"
    "options:\n"
    "  --jobs N          analyse N files at once (default: one per core)\n"
    "  --min-tempo X     double tempi below X (30 to 120)\n"
    "  --max-tempo Y     halve tempi above Y (120 to 240)\n"
    "  --format F        text (default), csv or json\n"
    "  --precise         the precise estimator: the right beat level and the value\n"
    "                    to the hundredth; json adds its confidence (0 to 1)\n"
    "  --quiet           no progress and no reasons on standard error\n"
    "  --write-tag       write each measured tempo, folded, into the file's tag:\n"
    "                    ID3v2 TBPM (MPEG audio, WAV, AIFF), Vorbis comment BPM\n"
    "                    (FLAC, Ogg, Opus), MP4 tmpo (M4A); nothing else changes;\n"
    "                    a tag not written is a failure (reason, exit status 1)\n"
    "  --tag-decimals D  decimals of the tempo written (0 to 2, default 0: the\n"
    "                    whole number ID3v2 prescribes)\n"
    "  --skip-tagged     a file whose tag holds a tempo gives that tempo\n"
    "                    (status \"tagged\") and is not analysed\n"
    "  --help            this text\n"
    "  --                every argument after it is a path, even one that begins\n"
    "                    with a dash\n"
    "Each file gives one line: its tempo with two decimals, or \"failed\", a tab,\n"
    "and its path (in text, a name with control characters is quoted as ls\n"
    "quotes it, $'\\n' and the like). Exit status: 0 every file analysed, 1 any\n"
    "failed (or the results could not be written), 2 usage.\n";

namespace {

bool ParseNumber(const std::string& text, double low, double high, double* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  if (v < low || v > high) return false;
  *value = v;
  return true;
}

}  // namespace

bool ParseAnalyzeOptions(const std::vector<std::string>& args, AnalyzeOptions* options,
                         std::string* error) {
  AnalyzeOptions parsed;
  bool onlyPaths = false;
  bool tagDecimalsGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyPaths || arg.empty() || arg[0] != '-' || arg == "-") {
      parsed.paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPaths = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
      continue;
    }
    if (arg == "--quiet" || arg == "-q") {
      parsed.quiet = true;
      continue;
    }
    if (arg == "--write-tag" || arg == "--skip-tagged") {
      (arg == "--write-tag" ? parsed.writeTag : parsed.skipTagged) = true;
      continue;
    }
    if (arg == "--precise") {
      parsed.precise = true;
      continue;
    }
    // Options with a value: "--name value" or "--name=value".
    std::string name = arg, value;
    size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (name == "--jobs" || name == "-j" || name == "--min-tempo" || name == "--max-tempo" ||
               name == "--format" || name == "--tag-decimals") {
      if (i + 1 >= args.size()) {
        *error = name + " needs a value";
        return false;
      }
      value = args[++i];
    } else {
      *error = "unknown option " + arg;
      return false;
    }
    double number = 0;
    if (name == "--jobs" || name == "-j") {
      if (!ParseNumber(value, 1, 256, &number) || number != std::floor(number)) {
        *error = "--jobs takes a whole number from 1 to 256";
        return false;
      }
      parsed.jobs = static_cast<unsigned>(number);
    } else if (name == "--min-tempo") {
      if (!ParseNumber(value, 30, 120, &number)) {
        *error = "--min-tempo takes a tempo from 30 to 120";
        return false;
      }
      parsed.minTempo = number;
    } else if (name == "--max-tempo") {
      if (!ParseNumber(value, 120, 240, &number)) {
        *error = "--max-tempo takes a tempo from 120 to 240";
        return false;
      }
      parsed.maxTempo = number;
    } else if (name == "--format") {
      if (value == "text")
        parsed.format = OutputFormat::kText;
      else if (value == "csv")
        parsed.format = OutputFormat::kCsv;
      else if (value == "json")
        parsed.format = OutputFormat::kJson;
      else {
        *error = "--format takes text, csv or json";
        return false;
      }
    } else if (name == "--tag-decimals") {
      if (!ParseNumber(value, 0, 2, &number) || number != std::floor(number)) {
        *error = "--tag-decimals takes 0, 1 or 2";
        return false;
      }
      parsed.tagDecimals = static_cast<int>(number);
      tagDecimalsGiven = true;
    } else {
      *error = "unknown option " + name;
      return false;
    }
  }
  if (tagDecimalsGiven && !parsed.writeTag) {
    *error = "--tag-decimals goes with --write-tag";
    return false;
  }
  if (parsed.paths.empty() && !parsed.help) {
    *error = "no file or folder given";
    return false;
  }
  *options = parsed;
  return true;
}
