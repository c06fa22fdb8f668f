// SignalBuffer operations. See signal_buffer.h.
#include "engine/signal_buffer.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "engine/fft.h"

SignalBuffer::~SignalBuffer() {
  delete[] data_;
  delete[] scratch_;
  delete[] window_;
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

void SignalBuffer::SwapScratch() { std::swap(data_, scratch_); }

void SignalBuffer::AppendPcm(uint32_t bits, uint32_t channels, uint32_t n,
                             const uint8_t* pcm) {
  if (bits != 8 && bits != 16) return;
  if (static_cast<uint64_t>(count_) + n > UINT32_MAX / 2 || !Reserve(count_ + n))
    return;
  const uint32_t ch = channels == 0 ? 1 : channels;
  const uint32_t sampleBytes = bits / 8;
  double* out = data_ + count_;
  for (uint32_t i = 0; i < n; ++i) {
    const uint8_t* frame = pcm + static_cast<size_t>(i) * ch * sampleBytes;
    auto sample = [&](uint32_t c) -> double {
      if (bits == 8) return static_cast<int8_t>(frame[c]);
      const uint8_t* p = frame + 2 * c;
      return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    };
    if (ch >= 2) {
      double sum = 0.0;
      for (uint32_t c = 0; c < ch; ++c) sum += sample(c);
      out[i] = sum / ch;
    } else {
      out[i] = sample(0);
    }
  }
  count_ += n;
}

void SignalBuffer::AppendValues(uint32_t n, const double* values) {
  if (static_cast<uint64_t>(count_) + n > UINT32_MAX / 2 || !Reserve(count_ + n))
    return;
  if (n != 0) std::memcpy(data_ + count_, values, n * sizeof(double));
  count_ += n;
}

void SignalBuffer::ReduceToBins(uint32_t m) {
  if (m == 0 || !Reserve(m)) return;
  const uint32_t n = count_;
  std::memset(scratch_, 0, m * sizeof(double));
  const double step = static_cast<double>(m) / n;
  double position = 0.0;
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t bin = static_cast<uint32_t>(position);
    if (bin >= m) bin = m - 1;  // guards the rounding of the running position
    scratch_[bin] += data_[i];
    position += step;
  }
  for (uint32_t k = 0; k < m; ++k) scratch_[k] *= step;
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
  for (uint32_t k = 1; k < half; ++k)
    real[k] = std::sqrt(imag[k] * imag[k] + real[k] * real[k]);
  real[half] = std::fabs(real[half]);
  count_ = half + 1;
}
