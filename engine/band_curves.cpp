// The kick and snare bands' curves. See band_curves.h.
#include "engine/band_curves.h"

#include <algorithm>
#include <cmath>

void BandCurves::Reset() {
  for (Curve& c : curves_) {
    c.chunks.clear();
    c.pendingCount = 0;
    c.mean = 0;
    c.sum = 0;
  }
  phase_ = 0;
  rate_ = 0;
}

void BandCurves::Start(double onsetValueRate) {
  Reset();
  rate_ = onsetValueRate / kStep;
  follow_ = onsetValueRate > 1 ? 1.0 / onsetValueRate : 1.0;  // a mean over about a second
}

void BandCurves::Add(float low, float middle, float high) {
  const bool flush = ++phase_ == kStep;
  if (flush) phase_ = 0;
  AddTo(curves_[kLow], low, flush);
  AddTo(curves_[kMiddle], middle, flush);
  AddTo(curves_[kHigh], high, flush);
}

void BandCurves::AddTo(Curve& c, float value, bool flush) {
  c.mean += follow_ * (value - c.mean);
  c.sum += value - c.mean;
  if (!flush) return;
  c.pending[c.pendingCount++] = static_cast<float>(c.sum / kStep);
  c.sum = 0;
  if (c.pendingCount < kChunkValues) return;
  Chunk chunk;
  float peak = 0;
  for (float v : c.pending) peak = std::max(peak, std::fabs(v));
  chunk.scale = peak / 127.0f;
  const float inverse = peak > 0 ? 127.0f / peak : 0.0f;
  for (uint32_t i = 0; i < kChunkValues; ++i)
    chunk.q[i] = static_cast<int8_t>(std::lround(c.pending[i] * inverse));
  c.chunks.push_back(chunk);
  c.pendingCount = 0;
}

std::vector<float> BandCurves::Values(Band band) const {
  const Curve& c = curves_[band];
  std::vector<float> out;
  out.reserve(c.chunks.size() * kChunkValues + c.pendingCount);
  for (const Chunk& chunk : c.chunks)
    for (int8_t q : chunk.q) out.push_back(static_cast<float>(q) * chunk.scale);
  out.insert(out.end(), c.pending, c.pending + c.pendingCount);
  return out;
}

size_t BandCurves::Bytes() const {
  size_t bytes = 0;
  for (const Curve& c : curves_) bytes += c.chunks.size() * sizeof(Chunk);
  return bytes;
}
