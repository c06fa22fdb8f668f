// SignalBuffer operations. See signal_buffer.h.
#include "engine/signal_buffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "engine/fft.h"

SignalBuffer::~SignalBuffer() {
  delete[] data_;
  delete[] scratch_;
  delete[] window_;
  delete[] binEdges_;
  fft_release_scratch();
}

// Makes room for `needed` values: both arrays grow to twice that, the values
// in use are kept. Returns false (and changes nothing) when memory is short.
bool SignalBuffer::Reserve(uint32_t needed) {
  if (needed <= capacity_) return true;
  uint64_t grown = 2 * static_cast<uint64_t>(needed);
  if (grown > UINT32_MAX) return false;
  double* data = new (std::nothrow) double[grown];
  double* scratch = new (std::nothrow) double[grown];
  if (data == nullptr || scratch == nullptr) {
    delete[] data;
    delete[] scratch;
    return false;
  }
  if (count_ != 0) std::memcpy(data, data_, count_ * sizeof(double));
  delete[] data_;
  delete[] scratch_;
  data_ = data;
  scratch_ = scratch;
  capacity_ = static_cast<uint32_t>(grown);
  return true;
}

void SignalBuffer::SwapScratch() {
  std::swap(data_, scratch_);
}

void SignalBuffer::ExchangeValues(SignalBuffer& other) {
  std::swap(capacity_, other.capacity_);
  std::swap(count_, other.count_);
  std::swap(data_, other.data_);
  std::swap(scratch_, other.scratch_);
}

namespace {

inline int32_t Sample16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

inline int32_t Sample(uint32_t bytes, const uint8_t* p) {
  return bytes == 1 ? static_cast<int8_t>(p[0]) : Sample16(p);
}

}  // namespace

// The channel sum is formed in integers: sums of up to 2^32 samples of at
// most 16 bits are exact in a double as well, so the value is the one a
// sum in double precision gives, divided once by the channel count.
void SignalBuffer::AppendPcm(uint32_t bits, uint32_t channels, uint32_t n, const uint8_t* pcm) {
  if (bits != 8 && bits != 16) return;
  if (static_cast<uint64_t>(count_) + n > UINT32_MAX / 2 || !Reserve(count_ + n)) return;
  const uint32_t ch = channels == 0 ? 1 : channels;
  const uint32_t sampleBytes = bits / 8;
  double* out = data_ + count_;
  if (bits == 16 && ch == 1) {
    for (uint32_t i = 0; i < n; ++i) out[i] = Sample16(pcm + 2 * static_cast<size_t>(i));
  } else if (bits == 16 && ch == 2) {
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* frame = pcm + 4 * static_cast<size_t>(i);
      out[i] = static_cast<double>(Sample16(frame) + Sample16(frame + 2)) * 0.5;
    }
  } else if (ch == 1) {
    for (uint32_t i = 0; i < n; ++i)
      out[i] = Sample(sampleBytes, pcm + static_cast<size_t>(i) * sampleBytes);
  } else {
    const size_t frameBytes = static_cast<size_t>(ch) * sampleBytes;
    for (uint32_t i = 0; i < n; ++i) {
      const uint8_t* frame = pcm + i * frameBytes;
      int64_t sum = 0;
      for (uint32_t c = 0; c < ch; ++c) sum += Sample(sampleBytes, frame + c * sampleBytes);
      out[i] = static_cast<double>(sum) / ch;
    }
  }
  count_ += n;
}

void SignalBuffer::AppendValues(uint32_t n, const double* values) {
  if (static_cast<uint64_t>(count_) + n > UINT32_MAX / 2 || !Reserve(count_ + n)) return;
  if (n != 0) std::memcpy(data_ + count_, values, n * sizeof(double));
  count_ += n;
}

// The bin of every value depends only on the two lengths, so the edges
// between bins are worked out once, by the same running position, and kept.
bool SignalBuffer::PrepareBinEdges(uint32_t n, uint32_t m) {
  if (binEdges_ != nullptr && binInputs_ == n && binCount_ == m) return true;
  delete[] binEdges_;
  binEdges_ = new (std::nothrow) uint32_t[static_cast<size_t>(m) + 1];
  binInputs_ = binCount_ = 0;
  if (binEdges_ == nullptr) return false;
  const double step = static_cast<double>(m) / n;
  double position = 0.0;
  uint32_t bin = 0;
  binEdges_[0] = 0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t target = static_cast<uint32_t>(position);
    if (target >= m) target = m - 1;  // the running position may round up to m
    while (bin < target) binEdges_[++bin] = i;
    position += step;
  }
  while (bin < m) binEdges_[++bin] = n;
  binInputs_ = n;
  binCount_ = m;
  return true;
}

void SignalBuffer::ReduceToBins(uint32_t m) {
  if (m == 0 || !Reserve(m)) return;
  const uint32_t n = count_;
  if (n == 0) {
    std::memset(data_, 0, m * sizeof(double));
    count_ = m;
    return;
  }
  const double step = static_cast<double>(m) / n;
  if (!PrepareBinEdges(n, m)) {
    // No memory for the edges: bin the values one by one.
    std::memset(scratch_, 0, m * sizeof(double));
    double position = 0.0;
    for (uint32_t i = 0; i < n; ++i) {
      uint32_t bin = static_cast<uint32_t>(position);
      if (bin >= m) bin = m - 1;
      scratch_[bin] += data_[i];
      position += step;
    }
    for (uint32_t k = 0; k < m; ++k) scratch_[k] *= step;
  } else {
    // Each bin's sum runs in ascending order from 0.0, as value-by-value
    // binning adds them; eight bins are summed side by side so that their
    // additions overlap.
    const uint32_t* edge = binEdges_;
    const double* x = data_;
    uint32_t b = 0;
    for (; b + 8 <= m; b += 8) {
      uint32_t common = UINT32_MAX;
      for (uint32_t j = 0; j < 8; ++j) common = std::min(common, edge[b + j + 1] - edge[b + j]);
      double sum[8] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
      const double* from[8];
      for (uint32_t j = 0; j < 8; ++j) from[j] = x + edge[b + j];
      for (size_t t = 0; t < common; ++t)
        for (uint32_t j = 0; j < 8; ++j) sum[j] += from[j][t];
      for (uint32_t j = 0; j < 8; ++j) {
        for (uint32_t i = edge[b + j] + common; i < edge[b + j + 1]; ++i) sum[j] += x[i];
        scratch_[b + j] = sum[j] * step;
      }
    }
    for (; b < m; ++b) {
      double sum = 0.0;
      for (uint32_t i = edge[b]; i < edge[b + 1]; ++i) sum += x[i];
      scratch_[b] = sum * step;
    }
  }
  count_ = m;
  SwapScratch();
}

void SignalBuffer::PreEmphasis() {
  const uint32_t n = count_;
  if (n == 0) return;
  scratch_[0] = data_[0];
  for (uint32_t i = 1; i < n; ++i) scratch_[i] = data_[i] - 0.97 * data_[i - 1];
  SwapScratch();
}

void SignalBuffer::ApplyHammingWindow() {
  const uint32_t n = count_;
  if (n == 0) return;
  if (windowLength_ != n) {
    delete[] window_;
    window_ = new (std::nothrow) double[n];
    if (window_ == nullptr) {
      windowLength_ = 0;
      return;
    }
    // A one-point window would divide by zero; it leaves the value as it is.
    if (n == 1) window_[0] = 1.0;
    for (uint32_t i = 0; n > 1 && i < n; ++i)
      window_[i] = 0.54 - 0.46 * std::cos(6.283185307179586 * i / (n - 1.0));
    windowLength_ = n;
  }
  for (uint32_t i = 0; i < n; ++i) scratch_[i] = data_[i] * window_[i];
  SwapScratch();
}

void SignalBuffer::MagnitudeSpectrum() {
  const uint32_t n = count_;
  if (n == 0) return;
  double* real = data_;
  double* imag = scratch_;
  std::memset(imag, 0, n * sizeof(double));
  const int dims[1] = {static_cast<int>(n)};
  fftn(1, dims, real, imag, 1, 0.0);
  const uint32_t half = n / 2;
  real[0] = std::fabs(real[0]);
  for (uint32_t k = 1; k < half; ++k) real[k] = std::sqrt(imag[k] * imag[k] + real[k] * real[k]);
  real[half] = std::fabs(real[half]);
  count_ = half + 1;
}
