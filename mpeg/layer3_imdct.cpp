// Layer III alias reduction, inverse MDCT, overlap-add and frequency inversion.
//
// The 36-point inverse MDCT x[i] = sum_k X[k] cos(pi/72 (2i + 19)(2k + 1))
// is x[i] = Y[i + 9] of the 18-point DCT-IV
// Y[n] = sum_k X[k] cos(pi/72 (2n + 1)(2k + 1)), continued by
// Y[35 - n] = -Y[n] and Y[n + 36] = -Y[n]. Since
// cos((2n + 1) a) + cos((2n - 1) a) = 2 cos(a) cos(2n a), the DCT-IV follows
// from the DCT-II C of u[k] = 2 cos((2k + 1) pi / 72) X[k]:
// Y[0] = C[0] / 2 and Y[n] = C[n] - Y[n - 1]. The 18-point DCT-II splits
// into two 9-point ones, of the sums and of the scaled differences of
// mirrored inputs (its even outputs, and its odd outputs as sums of
// neighbours, as in the synthesis); each 9-point DCT-II takes the sums of
// mirrored inputs for its even outputs and the differences for its odd ones.
//
// The 12-point transform of short blocks is, likewise, a 6-point DCT-IV
// through a 6-point DCT-II and two 3-point ones.
//
// Subbands are transformed side by side, one per vector lane: 8 at a time
// where the processor has AVX2 (chosen at run time), else 4. Every lane goes
// through the same operations in the same order whatever the width, so both
// give the same values.
#include "mpeg/layer3_imdct.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "mpeg/avx2_transpose.h"
#include "mpeg/decoder_tables.h"

namespace mpeg {

namespace {

typedef float FourLanes __attribute__((vector_size(16)));
typedef float EightLanes __attribute__((vector_size(32)));

// What the transform of one group of subbands needs to know.
struct GroupSetup {
  const DecoderTables* tables;
  const float* spectrum;
  float (*overlap)[32];
  float (*output)[32];
  int subbands;              // subbands holding lines to transform
  int longSubbands;          // of them, those transformed as long blocks (32: all)
  int produced;              // subbands whose output may be non-zero
  int blockType;             // window of the long blocks
  int normalWindowSubbands;  // long blocks at the bottom with the normal window
};

template <typename V>
[[gnu::always_inline]] inline void loadLanes(const float* from, V* to) {
  std::memcpy(to, from, sizeof(V));
}
template <typename V>
[[gnu::always_inline]] inline void storeLanes(const V* from, float* to) {
  std::memcpy(to, from, sizeof(V));
}

// 9-point DCT-II, out[m] = sum_k in[k] cos((2k + 1) m pi / 18).
template <typename V>
[[gnu::always_inline]] inline void cosineTransform9(const DecoderTables& t, const V* in, V* out) {
  V sums[4], differences[4];
  for (int k = 0; k < 4; ++k) {
    sums[k] = in[k] + in[8 - k];
    differences[k] = in[k] - in[8 - k];
  }
  for (int m = 0; m < 9; m += 2) {
    const float* c = t.imdctCos9[m];
    const V sum = sums[0] * c[0] + sums[1] * c[1] + sums[2] * c[2] + sums[3] * c[3];
    out[m] = (m & 2) ? sum - in[4] : sum + in[4];  // the middle term: cos(m pi / 2)
  }
  for (int m = 1; m < 9; m += 2) {
    const float* c = t.imdctCos9[m];
    out[m] = differences[0] * c[0] + differences[1] * c[1] + differences[2] * c[2] +
             differences[3] * c[3];
  }
}

// The 36 windowed values of the long-block transform of each lane's 18
// lines; window[i] is the window value of all lanes (a float) or of each (V).
template <typename V, typename Window>
[[gnu::always_inline]] inline void longBlocks(const DecoderTables& t, const V* in,
                                              const Window* window, V* z) {
  V u[18];
  for (int k = 0; k < 18; ++k) u[k] = in[k] * t.imdctInputFactor[k];
  V sums[9], differences[9];
  for (int k = 0; k < 9; ++k) {
    sums[k] = u[k] + u[17 - k];
    differences[k] = (u[k] - u[17 - k]) * t.imdctOddFactor[k];
  }
  V even[9], odd[9];
  cosineTransform9(t, sums, even);
  cosineTransform9(t, differences, odd);
  V y[18];  // the DCT-IV
  y[0] = even[0] * 0.5f;
  for (int m = 1; m < 9; ++m) {
    y[2 * m - 1] = (odd[m - 1] + odd[m]) - y[2 * m - 2];
    y[2 * m] = even[m] - y[2 * m - 1];
  }
  y[17] = odd[8] - y[16];
  for (int i = 0; i < 9; ++i) z[i] = y[9 + i] * window[i];
  for (int i = 9; i < 27; ++i) z[i] = -y[26 - i] * window[i];
  for (int i = 27; i < 36; ++i) z[i] = -y[i - 27] * window[i];
}

// 3-point DCT-II, out[m] = sum_k in[k] cos((2k + 1) m pi / 6).
template <typename V>
[[gnu::always_inline]] inline void cosineTransform3(const DecoderTables& t, const V* in, V* out) {
  const V outer = in[0] + in[2];
  out[0] = outer + in[1];
  out[1] = (in[0] - in[2]) * t.imdctCosPiOver6;
  out[2] = outer * 0.5f - in[1];
}

// The three windowed 12-point transforms of each lane, overlapped at
// offsets 6, 12 and 18 into 36 values. Each is the 6-point DCT-IV Y of its
// lines (y[i] = Y[i + 3], Y[11 - n] = -Y[n], Y[n + 12] = -Y[n]), computed
// as the long blocks' 18-point one.
template <typename V>
[[gnu::always_inline]] inline void shortBlocks(const DecoderTables& t, const V* in, V* z) {
  for (int i = 0; i < 36; ++i) z[i] = V{};
  const float* window = t.imdctWindow[2];
  for (int w = 0; w < 3; ++w) {
    V u[6];
    for (int k = 0; k < 6; ++k) u[k] = in[3 * k + w] * t.imdctShortInputFactor[k];
    V sums[3], differences[3];
    for (int k = 0; k < 3; ++k) {
      sums[k] = u[k] + u[5 - k];
      differences[k] = (u[k] - u[5 - k]) * t.imdctShortOddFactor[k];
    }
    V even[3], odd[3];
    cosineTransform3(t, sums, even);
    cosineTransform3(t, differences, odd);
    V y[6];  // the DCT-IV
    y[0] = even[0] * 0.5f;
    y[1] = (odd[0] + odd[1]) - y[0];
    y[2] = even[1] - y[1];
    y[3] = (odd[1] + odd[2]) - y[2];
    y[4] = even[2] - y[3];
    y[5] = odd[2] - y[4];
    V* to = z + 6 + 6 * w;
    for (int i = 0; i < 3; ++i) to[i] += y[3 + i] * window[i];
    for (int i = 3; i < 9; ++i) to[i] += -y[8 - i] * window[i];
    for (int i = 9; i < 12; ++i) to[i] += -y[i - 9] * window[i];
  }
}

#if defined(__x86_64__) || defined(__i386__)
// gatherLines for eight lanes: lines 0..15 by two transposes, 16 and 17
// one by one.
__attribute__((target("avx2"))) void gatherEightLanes(const float* const lines[8], EightLanes* in) {
  __m256 rows[8];
  for (int half = 0; half < 16; half += 8) {
    for (int lane = 0; lane < 8; ++lane) rows[lane] = _mm256_loadu_ps(lines[lane] + half);
    transpose8(rows);
    for (int k = 0; k < 8; ++k) in[half + k] = rows[k];
  }
  for (int k = 16; k < 18; ++k)
    in[k] = _mm256_setr_ps(lines[0][k], lines[1][k], lines[2][k], lines[3][k], lines[4][k],
                           lines[5][k], lines[6][k], lines[7][k]);
}
#endif

// in[k] = line k of each lane's subband.
template <typename V, int kLanes>
[[gnu::always_inline]] inline void gatherLines(const float* const lines[kLanes], V* in) {
#if defined(__x86_64__) || defined(__i386__)
  if constexpr (kLanes == 8) {
    gatherEightLanes(lines, in);
    return;
  }
#endif
  for (int lane = 0; lane < kLanes; ++lane)
    for (int k = 0; k < 18; ++k) in[k][lane] = lines[lane][k];
}

// Transforms the subbands first .. first + lanes - 1, overlap-adds and
// inverts the frequency of the odd ones.
template <typename V, int kLanes>
[[gnu::always_inline]] inline void transformGroup(const GroupSetup& g, int first) {
  const DecoderTables& t = *g.tables;
  V z[36];
  if (first >= g.produced) {
    for (int i = 0; i < 18; ++i) z[i] = V{};  // silent, and no overlap to add
    for (int time = 0; time < 18; ++time) storeLanes(&z[time], &g.output[time][first]);
    return;
  }
  if (first >= g.subbands) {
    for (int i = 0; i < 36; ++i) z[i] = V{};  // only the previous granule's tail
  } else {
    // Lines of the subbands past those to transform count as zeros: alias
    // reduction may have spread into the first of them.
    static constexpr float kNoLines[18] = {};
    const float* lines[kLanes];
    for (int lane = 0; lane < kLanes; ++lane)
      lines[lane] = first + lane < g.subbands ? g.spectrum + 18 * (first + lane) : kNoLines;
    V in[18];
    gatherLines<V, kLanes>(lines, in);
    const bool anyLong = first < g.longSubbands;
    const bool anyShort = first + kLanes > g.longSubbands;
    if (anyShort) shortBlocks(t, in, z);
    if (anyLong) {
      V longZ[36];
      if (first >= g.normalWindowSubbands) {
        longBlocks(t, in, t.imdctWindow[g.blockType], anyShort ? longZ : z);
      } else {
        // The long part of a mixed block: the normal window below, the
        // block type's above.
        V window[36];
        for (int i = 0; i < 36; ++i)
          for (int lane = 0; lane < kLanes; ++lane)
            window[i][lane] =
                t.imdctWindow[first + lane < g.normalWindowSubbands ? 0 : g.blockType][i];
        longBlocks(t, in, window, anyShort ? longZ : z);
      }
      if (anyShort) {
        for (int lane = 0; lane < kLanes && first + lane < g.longSubbands; ++lane)
          for (int i = 0; i < 36; ++i) z[i][lane] = longZ[i][lane];
      }
    }
  }
  V inversion;  // -1 in the lanes of odd subbands
  for (int lane = 0; lane < kLanes; ++lane) inversion[lane] = ((first + lane) & 1) ? -1.0f : 1.0f;
  // Lanes from `produced` on stay silent and keep their (zero) overlap.
  const int live = std::min(g.produced - first, kLanes);
  for (int time = 0; time < 18; ++time) {
    V previous;
    loadLanes(&g.overlap[time][first], &previous);
    V sum = z[time] + previous;
    if (time & 1) sum *= inversion;
    if (live < kLanes) {
      for (int lane = live; lane < kLanes; ++lane) {
        sum[lane] = 0.0f;
        z[18 + time][lane] = previous[lane];
      }
    }
    storeLanes(&sum, &g.output[time][first]);
    storeLanes(&z[18 + time], &g.overlap[time][first]);
  }
}

void transformFourAtATime(const GroupSetup& g) {
  for (int first = 0; first < 32; first += 4) transformGroup<FourLanes, 4>(g, first);
}

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void transformEightAtATime(const GroupSetup& g) {
  for (int first = 0; first < 32; first += 8) transformGroup<EightLanes, 8>(g, first);
}
#endif

using TransformRoutine = void (*)(const GroupSetup& g);

// The routine for `lanes` subbands at a time, or null where the processor
// cannot run it.
TransformRoutine routineForLanes(int lanes) {
  if (lanes == 4) return &transformFourAtATime;
#if defined(__x86_64__) || defined(__i386__)
  if (lanes == 8 && __builtin_cpu_supports("avx2")) return &transformEightAtATime;
#endif
  return nullptr;
}

// The widest, chosen once per process.
TransformRoutine transformRoutine() {
  static const TransformRoutine routine = [] {
    const TransformRoutine eight = routineForLanes(8);
    return eight != nullptr ? eight : routineForLanes(4);
  }();
  return routine;
}

int transformChannel(const ImdctChannel& channel, float output[18][32], TransformRoutine routine) {
  GroupSetup g{};
  g.tables = &decoderTables();
  g.spectrum = channel.spectrum;
  g.overlap = channel.overlap;
  g.output = output;
  g.subbands = (channel.lineCount + 17) / 18;
  // Long blocks throughout: the lanes past the transformed subbands are
  // long ones too (of zero lines), so that a group needs one kind only.
  g.longSubbands = channel.longLines >= channel.lineCount ? 32 : (channel.longLines + 17) / 18;
  g.produced = std::max<int>(g.subbands, *channel.overlapSubbands);
  g.blockType = channel.blockType;
  g.normalWindowSubbands = channel.normalWindowSubbands;
  routine(g);
  *channel.overlapSubbands = g.subbands;
  return g.produced;
}

}  // namespace

void reduceAliases(float spectrum[576], int boundaries) {
  const DecoderTables& tables = decoderTables();
  // The eight butterflies of a boundary side by side: lanes 0..3 and 4..7
  // pair the lines walking down from the top of subband sb - 1 with those
  // walking up from the bottom of subband sb.
  FourLanes cs[2], ca[2];
  std::memcpy(cs, tables.aliasCs, sizeof cs);
  std::memcpy(ca, tables.aliasCa, sizeof ca);
  for (int sb = 1; sb <= boundaries; ++sb) {
    float* lowerEnd = spectrum + 18 * sb;  // one past the top of subband sb - 1
    float* upper = spectrum + 18 * sb;
    for (int half = 0; half < 2; ++half) {
      FourLanes a, b;
      std::memcpy(&a, lowerEnd - 4 * (half + 1), sizeof a);
      a = FourLanes{a[3], a[2], a[1], a[0]};
      std::memcpy(&b, upper + 4 * half, sizeof b);
      FourLanes newLower = a * cs[half] - b * ca[half];
      const FourLanes newUpper = b * cs[half] + a * ca[half];
      newLower = FourLanes{newLower[3], newLower[2], newLower[1], newLower[0]};
      std::memcpy(lowerEnd - 4 * (half + 1), &newLower, sizeof newLower);
      std::memcpy(upper + 4 * half, &newUpper, sizeof newUpper);
    }
  }
}

int inverseMdct(const ImdctChannel& channel, float output[18][32]) {
  return transformChannel(channel, output, transformRoutine());
}

int inverseMdctWithLanes(const ImdctChannel& channel, float output[18][32], int lanes) {
  const TransformRoutine routine = routineForLanes(lanes);
  return routine != nullptr ? transformChannel(channel, output, routine) : -1;
}

}  // namespace mpeg
