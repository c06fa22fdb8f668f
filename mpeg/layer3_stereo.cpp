// Layer III mid/side and intensity stereo.
#include "mpeg/layer3_stereo.h"

#include <algorithm>

#include "mpeg/decoder_tables.h"

namespace mpeg {

namespace {

// The intensity factor pair (left, right) of position `position` in a band
// whose (low-sampling-frequency) illegal position is `limit`.
const float* intensityFactors(const StereoInput& in, int position, int limit) {
  const DecoderTables& tables = decoderTables();
  const int set = in.midSide ? 1 : 0;
  if (!in.lowSamplingFrequency) return tables.intensityMpeg1[set][std::min(position, 7)];
  // The range of a band's slen starts at entry 2^slen - 1, which is its limit.
  return tables
      .intensityLsf[in.rightFactors->intensityScale][set][limit + std::min(position, limit)];
}

void applyToLines(const StereoInput& in, const float* factors, int begin, int end, int step) {
  const float toLeft = factors[0], toRight = factors[1];
  for (int i = begin; i < end; i += step) {
    const float value = in.left[i];
    in.left[i] = value * toLeft;
    in.right[i] = value * toRight;
  }
}

void intensityLongBands(const StereoInput& in, int firstBand, int endBand) {
  const ScaleFactors& f = *in.rightFactors;
  for (int band = firstBand; band < endBand; ++band) {
    // Band 21 carries no position and takes band 20's.
    const int from = band == 21 ? 20 : band;
    applyToLines(in, intensityFactors(in, f.longBand[from], f.longLimit[from]),
                 in.bands->longBoundary[band], in.bands->longBoundary[band + 1], 1);
  }
}

void intensityShortBands(const StereoInput& in, int window, int firstBand) {
  const ScaleFactors& f = *in.rightFactors;
  for (int band = firstBand; band < 13; ++band) {
    const int from = band == 12 ? 11 : band;
    const int start = in.bands->shortBoundary[band];
    const int width = in.bands->shortBoundary[band + 1] - start;
    const int first = 3 * start + window;
    applyToLines(in, intensityFactors(in, f.shortBand[from][window], f.shortLimit[from]), first,
                 first + 3 * width, 3);
  }
}

}  // namespace

void processStereo(const StereoInput& in) {
  if (!in.midSide && !in.intensity) return;
  const GranuleChannelInfo& info = *in.rightInfo;
  const RequantizeResult& r = in.rightBands;
  const bool shortBlocks = info.block_type == 2;
  const bool mixed = shortBlocks && info.mixed_block_flag;

  // Where the intensity region begins: after the right channel's highest
  // band holding a non-zero line (band 0 counts as holding one).
  int lastShort = std::max({r.lastShortBand[0], r.lastShortBand[1], r.lastShortBand[2]});
  const bool shortPartCoded = shortBlocks && (!mixed || lastShort >= 0);
  int intensityStartLine;
  if (shortPartCoded) {
    intensityStartLine = 3 * in.bands->shortBoundary[std::max(lastShort, 0) + 1];
  } else {
    intensityStartLine = in.bands->longBoundary[std::max(r.lastLongBand, 0) + 1];
  }

  if (in.midSide) {
    const int end = in.intensity ? std::min(in.lineCount, intensityStartLine) : in.lineCount;
    for (int i = 0; i < end; ++i) {
      const float mid = in.left[i], side = in.right[i];
      in.left[i] = mid + side;
      in.right[i] = mid - side;
    }
  }
  if (!in.intensity) return;

  if (!shortBlocks) {
    intensityLongBands(in, std::max(r.lastLongBand, 0) + 1, 22);
  } else if (!mixed) {
    for (int w = 0; w < 3; ++w) intensityShortBands(in, w, std::max(r.lastShortBand[w], 0) + 1);
  } else if (lastShort >= 0) {
    // Mixed block coded into its short part: windows without coded
    // short bands are intensity-coded from the first short band on.
    for (int w = 0; w < 3; ++w)
      intensityShortBands(in, w, r.lastShortBand[w] >= 0 ? r.lastShortBand[w] + 1 : 3);
  } else {
    intensityLongBands(in, std::max(r.lastLongBand, 0) + 1, in.mixedLongBands);
    for (int w = 0; w < 3; ++w) intensityShortBands(in, w, 3);
  }
}

}  // namespace mpeg
