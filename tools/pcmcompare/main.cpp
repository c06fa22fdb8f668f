// tempyra-pcmcompare: compares the PCM of two decoders of the same MPEG audio
// stream (ours and a reference), after finding where they line up, and prints
// key=value statistics. Exit status: 0 when every given threshold holds, 1 when
// one fails, 2 for a usage or file error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "alignment.h"
#include "comparison.h"
#include "pcm_file.h"

using namespace tempyra::pcmcompare;

namespace {

void usage() {
  std::fprintf(
      stderr,
      "usage: tempyra-pcmcompare [options] OURS.raw REFERENCE.raw\n"
      "  --channels N            interleaved channels in both files (default 2)\n"
      "  --ours-format F         s16 or f32 (default s16)\n"
      "  --ref-format F          s16 or f32 (default s16)\n"
      "  --ref-rounding R        float to 16 bits: trunc (toward zero) or round (default trunc)\n"
      "  --frame-samples N       samples per channel in one frame: 384, 576 or 1152 (default "
      "1152)\n"
      "  --search-frames N       largest offset searched, in frames (default 8)\n"
      "  --offset N              use this offset (ours[i+N] = ref[i]) instead of searching\n"
      "  --no-fine               search whole-frame offsets only\n"
      "  --skip-frames N         frames at the start of the overlap left out (default 2)\n"
      "thresholds (each checked only when given):\n"
      "  --min-within1 P         at least P %% of samples within +-1\n"
      "  --max-diff D            no difference above D\n"
      "  --max-beyond4 N         at most N samples differ by more than 4\n"
      "  --min-sdr DB            signal-to-difference ratio at least DB\n"
      "  --max-unmatched-frames N  at most N frames of either file outside the overlap at each "
      "end\n"
      "  --min-compared N        at least N samples compared\n");
}

bool parseFormat(const std::string& text, SampleFormat& format) {
  if (text == "s16")
    format = SampleFormat::S16;
  else if (text == "f32")
    format = SampleFormat::F32;
  else
    return false;
  return true;
}

bool parseDouble(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0';
}

std::string formatDb(double value) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  SampleFormat oursFormat = SampleFormat::S16, refFormat = SampleFormat::S16;
  FloatRounding rounding = FloatRounding::TowardZero;
  double channels = 2, frameSamples = 1152, searchFrames = 8, skipFrames = 2, forcedOffset = 0;
  bool haveOffset = false, allowFine = true;
  double minWithin1 = -1, maxDiff = -1, maxBeyond4 = -1, minSdr = -1e300, maxUnmatched = -1,
         minCompared = -1;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      files.push_back(arg);
      continue;
    }
    if (arg == "--no-fine") {
      allowFine = false;
      continue;
    }
    if (i + 1 >= argc) {
      usage();
      return 2;
    }
    const char* value = argv[++i];
    bool ok = true;
    if (arg == "--ours-format")
      ok = parseFormat(value, oursFormat);
    else if (arg == "--ref-format")
      ok = parseFormat(value, refFormat);
    else if (arg == "--ref-rounding") {
      const std::string r = value;
      ok = r == "trunc" || r == "round";
      rounding = r == "round" ? FloatRounding::Nearest : FloatRounding::TowardZero;
    } else if (arg == "--channels")
      ok = parseDouble(value, channels) && (channels == 1 || channels == 2);
    else if (arg == "--frame-samples")
      ok = parseDouble(value, frameSamples) && frameSamples >= 1;
    else if (arg == "--search-frames")
      ok = parseDouble(value, searchFrames) && searchFrames >= 0;
    else if (arg == "--offset")
      ok = parseDouble(value, forcedOffset), haveOffset = true;
    else if (arg == "--skip-frames")
      ok = parseDouble(value, skipFrames) && skipFrames >= 0;
    else if (arg == "--min-within1")
      ok = parseDouble(value, minWithin1);
    else if (arg == "--max-diff")
      ok = parseDouble(value, maxDiff);
    else if (arg == "--max-beyond4")
      ok = parseDouble(value, maxBeyond4);
    else if (arg == "--min-sdr")
      ok = parseDouble(value, minSdr);
    else if (arg == "--max-unmatched-frames")
      ok = parseDouble(value, maxUnmatched);
    else if (arg == "--min-compared")
      ok = parseDouble(value, minCompared);
    else
      ok = false;
    if (!ok) {
      std::fprintf(stderr, "tempyra-pcmcompare: bad option %s %s\n", arg.c_str(), value);
      usage();
      return 2;
    }
  }
  if (files.size() != 2) {
    usage();
    return 2;
  }

  PcmData ours, reference;
  std::string error;
  if (!readPcm(files[0], oursFormat, rounding, static_cast<int>(channels), ours, error) ||
      !readPcm(files[1], refFormat, rounding, static_cast<int>(channels), reference, error)) {
    std::fprintf(stderr, "tempyra-pcmcompare: %s\n", error.c_str());
    return 2;
  }

  const std::size_t frame = static_cast<std::size_t>(frameSamples);
  Alignment alignment;
  if (haveOffset) {
    alignment.offset = static_cast<long>(forcedOffset);
    alignment.found = true;
    alignment.error = alignmentError(ours, reference, alignment.offset, 0, reference.frames());
  } else {
    AlignmentRequest request;
    request.frameSamples = frame;
    request.searchFrames = static_cast<int>(searchFrames);
    request.allowFine = allowFine;
    alignment = findAlignment(ours, reference, request);
  }
  const ComparisonStats stats = compareAligned(ours, reference, alignment.offset,
                                               static_cast<std::size_t>(skipFrames) * frame);

  const auto inFrames = [&](std::size_t samples) {
    return static_cast<double>(samples) / frameSamples;
  };
  std::printf("channels=%d\n", static_cast<int>(channels));
  std::printf("ours_frames=%.2f\n", inFrames(ours.frames()));
  std::printf("ref_frames=%.2f\n", inFrames(reference.frames()));
  std::printf("alignment=%s\n", haveOffset         ? "given"
                                : !alignment.found ? "none"
                                : alignment.fine   ? "fine"
                                                   : "frame");
  std::printf("offset_samples=%ld\n", alignment.offset);
  std::printf("offset_frames=%.3f\n", static_cast<double>(alignment.offset) / frameSamples);
  std::printf("align_error=%.3g\n", alignment.error);
  std::printf("ours_head_frames=%.2f\nours_tail_frames=%.2f\n", inFrames(stats.oursHead),
              inFrames(stats.oursTail));
  std::printf("ref_head_frames=%.2f\nref_tail_frames=%.2f\n", inFrames(stats.refHead),
              inFrames(stats.refTail));
  std::printf("compared=%zu\n", stats.compared);
  std::printf("exact_pct=%.4f\n", stats.exactPercent());
  std::printf("within1_pct=%.4f\n", stats.within1Percent());
  std::printf("max_diff=%ld\n", stats.maxDiff);
  std::printf("head_max_diff=%ld\n", stats.headMaxDiff);
  std::printf("beyond4=%zu\n", stats.beyond4);
  if (stats.beyond4) std::printf("first_beyond4_frame=%.2f\n", inFrames(stats.firstBeyond4));
  std::printf("sdr_db=%s\n", formatDb(stats.sdrDb()).c_str());

  std::string failed;
  const auto fail = [&](const char* what) {
    failed += failed.empty() ? what : std::string(",") + what;
  };
  if (!alignment.found || stats.compared == 0) fail("no_overlap");
  if (minWithin1 >= 0 && stats.within1Percent() < minWithin1) fail("within1");
  if (maxDiff >= 0 && static_cast<double>(stats.maxDiff) > maxDiff) fail("max_diff");
  if (maxBeyond4 >= 0 && static_cast<double>(stats.beyond4) > maxBeyond4) fail("beyond4");
  if (stats.sdrDb() < minSdr) fail("sdr");
  if (minCompared >= 0 && static_cast<double>(stats.compared) < minCompared) fail("compared");
  if (maxUnmatched >= 0) {
    const double limit = maxUnmatched * frameSamples;
    if (static_cast<double>(stats.oursHead) > limit ||
        static_cast<double>(stats.oursTail) > limit || static_cast<double>(stats.refHead) > limit ||
        static_cast<double>(stats.refTail) > limit)
      fail("unmatched");
  }
  std::printf("result=%s\n", failed.empty() ? "pass" : "fail");
  if (!failed.empty()) std::printf("failed=%s\n", failed.c_str());
  return failed.empty() ? 0 : 1;
}
