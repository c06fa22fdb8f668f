// An 8 x 8 transpose of single-precision values in AVX2 registers, shared
// by the transforms that work on eight subbands or blocks side by side (the
// IMDCT and the synthesis): the values of one subband or block are gathered
// into a lane by transposing, and scattered back the same way.
#pragma once

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>

namespace mpeg {

// Transposes the 8 x 8 values in rows[0..7] (row r, lane c becomes row c,
// lane r).
__attribute__((target("avx2"))) inline void transpose8(__m256 rows[8]) {
  __m256 t[8], u[8];
  for (int i = 0; i < 8; i += 2) {
    t[i] = _mm256_unpacklo_ps(rows[i], rows[i + 1]);
    t[i + 1] = _mm256_unpackhi_ps(rows[i], rows[i + 1]);
  }
  for (int i = 0; i < 8; i += 4) {
    u[i] = _mm256_shuffle_ps(t[i], t[i + 2], 0x44);
    u[i + 1] = _mm256_shuffle_ps(t[i], t[i + 2], 0xEE);
    u[i + 2] = _mm256_shuffle_ps(t[i + 1], t[i + 3], 0x44);
    u[i + 3] = _mm256_shuffle_ps(t[i + 1], t[i + 3], 0xEE);
  }
  for (int i = 0; i < 4; ++i) {
    rows[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
    rows[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
  }
}

}  // namespace mpeg
#endif
