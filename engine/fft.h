// Mixed-radix fast Fourier transform (R. C. Singleton's algorithm).
//
// Transforms complex data of any length, in one or more dimensions, in place.
// The length is split into factors: 4, 2, 3 and 5 have dedicated butterflies,
// any other odd factor a general one, and an in-place permutation brings the
// result into natural order at the end. Complex data are two separate arrays
// of doubles, real and imaginary parts.
//
// The transform keeps its work memory (trigonometric tables and work values
// of the general butterfly, the permutation bookkeeping) between calls; it
// grows on demand and is handed back by fft_release_scratch(). That memory is
// per thread, so transforms on different threads never meet; on one thread
// every call shares it.
//
// Failures write one line to standard error, release the work memory and
// return -1; the data are then partly transformed.
#pragma once

#include <cstddef>

// Transforms the ndim-dimensional array (re, im) in place.
//   dims:    the lengths, first dimension varying fastest. When ndim is 0 or
//            dims[0] is 0, the lengths are read from dims up to its first 0.
//   iSign:   sign of the exponent (+1: X[k] = sum x[j] e^(+2 pi i jk/n));
//            |iSign| > 1 means consecutive elements lie |iSign| places apart.
//   scaling: 0 or 1 leaves the result unscaled; a negative value divides
//            every element by the total element count; any other value
//            divides every element by it.
// Returns 0 on success, -1 on failure (a length <= 0 is a dimension error).
int fftn(int ndim, const int dims[], double re[], double im[], int iSign, double scaling);

// Transforms one dimension of length n whose elements lie nSpan / n apart,
// for every such sequence of the nTotal-element array. maxFactors and
// maxPerm size the work memory (the largest length in use). Lengths below 2
// are left as they are. Returns 0 on success, -1 on failure.
int fftradix(double re[], double im[], size_t nTotal, size_t n, size_t nSpan, int iSign,
             int maxFactors, int maxPerm);

// Frees this thread's work memory; the next transform allocates it anew.
void fft_release_scratch();

// The factors of n in the order the passes use them: 4 for every factor 16,
// then every odd square factor j*j as j, then (when the rest exceeds 4) a
// 2 for a factor 4 and the remaining primes in ascending order, and at last
// the square factors again in reverse. Returns their count (0 for n below
// 2), or -1 when there are more than 11; at most 11 are stored.
int fft_factorise(size_t n, int factors[11]);
