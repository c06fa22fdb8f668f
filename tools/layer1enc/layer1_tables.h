// Constant tables of the Layer I test encoder, generated from the MPEG table
// data by gen_tables.py (layer1_tables.cpp is the generated file).
#pragma once

namespace tempyra::layer1enc {

// Analysis window as integers: C[i] = kAnalysisWindowK[i] / 2^21.
extern const int kAnalysisWindowK[512];

// Layer I/II scale factors for indices 0..62 (index 63 is not used).
extern const double kScaleFactors[63];

}  // namespace tempyra::layer1enc
