// tempyra-isocompare: compares our 16-bit PCM of a compliance stream with the
// reference decoder's PCM below a cut-off frequency, and prints key=value
// figures: the frames (samples per channel) of each, the signal-to-difference
// ratio and the largest difference with the frame where it lies.
//
//   tempyra-isocompare --channels N --rate HZ --cutoff HZ OURS.raw REFERENCE.pcm
//
// Trailing silence of the reference (fixed-size reference files are padded
// with zeros) is trimmed first. Exit status 0, or 2 for a usage or file error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "band_limited_difference.h"

namespace {

using tempyra::conformance::BandLimitedDifference;

bool readPcm16(const std::string& path, std::vector<std::int16_t>& samples) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
  samples.resize(bytes.size() / 2);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] =
        static_cast<std::int16_t>(static_cast<unsigned>(bytes[2 * i] | (bytes[2 * i + 1] << 8)));
  return true;
}

int usage() {
  std::fprintf(stderr,
               "usage: tempyra-isocompare --channels N --rate HZ --cutoff HZ OURS.raw "
               "REFERENCE.pcm\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int channels = 0;
  double rate = 0.0, cutoff = 0.0;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--channels" || arg == "--rate" || arg == "--cutoff") && i + 1 < argc) {
      const double value = std::atof(argv[++i]);
      if (arg == "--channels")
        channels = static_cast<int>(value);
      else if (arg == "--rate")
        rate = value;
      else
        cutoff = value;
    } else if (!arg.empty() && arg[0] != '-') {
      files.push_back(arg);
    } else {
      return usage();
    }
  }
  if (files.size() != 2 || channels < 1 || channels > 2 || rate <= 0.0 || cutoff <= 0.0)
    return usage();

  std::vector<std::int16_t> ours, reference;
  for (int which = 0; which < 2; ++which) {
    if (!readPcm16(files[static_cast<std::size_t>(which)], which == 0 ? ours : reference)) {
      std::fprintf(stderr, "tempyra-isocompare: cannot read %s\n",
                   files[static_cast<std::size_t>(which)].c_str());
      return 2;
    }
  }
  tempyra::conformance::trimTrailingSilence(reference, channels);
  const BandLimitedDifference d =
      tempyra::conformance::compareBelow(ours, reference, channels, rate, cutoff);
  const double sdr = d.sdrDb();
  std::printf("reference_frames=%zu\n", reference.size() / static_cast<std::size_t>(channels));
  std::printf("ours_frames=%zu\n", ours.size() / static_cast<std::size_t>(channels));
  if (std::isinf(sdr))
    std::printf("sdr_db=%s\n", sdr > 0 ? "inf" : "-inf");
  else
    std::printf("sdr_db=%.2f\n", sdr);
  std::printf("compared_frames=%zu\n", d.comparedFrames);
  std::printf("rms_diff=%.3f\n", d.rmsDifference(channels));
  std::printf("max_diff=%.2f\n", d.maxDifference);
  std::printf("max_diff_frame=%zu\n", d.maxDifferenceFrame);
  return 0;
}
