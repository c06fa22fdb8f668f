// Options of `tempyra-cli analyze`, and their parsing.
//
//   tempyra-cli analyze [--jobs N] [--min-tempo X] [--max-tempo Y]
//                       [--format text|csv|json] [--precise] [--quiet]
//                       [--write-tag [--tag-decimals D]] [--skip-tagged] PATH...
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class OutputFormat { kText, kCsv, kJson };

struct AnalyzeOptions {
  unsigned jobs = 0;               // 0: one per core
  std::optional<double> minTempo;  // 30 to 120
  std::optional<double> maxTempo;  // 120 to 240
  OutputFormat format = OutputFormat::kText;
  bool quiet = false;
  bool writeTag = false;    // the tempo into each analysed file's TBPM tag
  int tagDecimals = 0;      // decimals of that tempo, 0 to 2
  bool skipTagged = false;  // files whose TBPM holds a tempo: that, not analysed
  bool precise = false;     // the precise estimator's value (and its confidence)
  bool help = false;        // --help: print the usage and do nothing else
  std::vector<std::string> paths;
};

extern const char* const kAnalyzeUsage;

// Parses the arguments after "analyze". On a usage error returns false and
// puts a one-line reason into *error.
bool ParseAnalyzeOptions(const std::vector<std::string>& args, AnalyzeOptions* options,
                         std::string* error);
