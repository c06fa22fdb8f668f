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
// than one group of onset values, so the five bins around the best one sum
// to zero) and for a rate or range it cannot search (a rate below 16 Hz, a
// minimum below two bins or above bin 239); callers treat
// any non-finite value as a failed analysis. When scores of both signs
// cancel so far that the five-bin centroid falls outside the bins searched
// (widened by the centroid's two bins on each side), which can give any
// value down to negative ones, the best bin's tempo is returned instead.
#pragma once

#include <cstdint>

// The tempo range every analysis searches, in beats per minute.
constexpr double kSearchMinTempo = 30.0;
constexpr double kSearchMaxTempo = 240.0;

// Beats per minute per periodicity bin at the given sampling rate:
// (rate x 60) / (segment length x 960) with segment length = rate / 16.
double TempoBinWidth(uint32_t sampleRate);

double EstimateTempo(double periodicitySpectrum[481], uint32_t sampleRate, double minTempo,
                     double maxTempo);
