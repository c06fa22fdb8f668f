// EstimateTempo: picks the tempo, in beats per minute, from the periodicity
// spectrum that TempoDetector accumulated over a whole file.
//
// Three steps: the spectrum is sharpened into peak prominences, every
// candidate bin is scored against its double and its two thirds, and the
// best candidate inside [minTempo, maxTempo], favouring the middle of the
// range, is refined by a centroid over five bins. Bins 1-239 of the spectrum
// are rewritten with the scores, so call it once per file.
//
// Returns NaN when the spectrum holds nothing to measure (a file shorter
// than one group of onset values); callers treat any non-finite value as a
// failed analysis.
#pragma once

#include <cstdint>

// Beats per minute per periodicity bin at the given sampling rate:
// (rate x 60) / (segment length x 960) with segment length = rate / 16.
double TempoBinWidth(uint32_t sampleRate);

double EstimateTempo(double periodicitySpectrum[481], uint32_t sampleRate,
                     double minTempo, double maxTempo);
