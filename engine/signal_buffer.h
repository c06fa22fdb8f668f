// SignalBuffer: a growable array of doubles with the signal operations the
// tempo detector applies to it.
//
// Every operation that transforms the values writes its result into a
// scratch array of the same capacity and then exchanges the two, so no
// memory is allocated once the buffer has reached its working size. Growth
// doubles what is needed and keeps the memory across Clear(); the Hamming
// window is cached per length, and so are the bin edges of ReduceToBins()
// per pair of lengths. Allocation failures are silent: the values of that
// call are dropped, a missing window leaves the values unwindowed.
//
// Destroying a buffer also releases the calling thread's FFT work memory.
#pragma once

#include <cstdint>

class SignalBuffer {
 public:
  SignalBuffer() = default;
  SignalBuffer(const SignalBuffer&) = delete;
  SignalBuffer& operator=(const SignalBuffer&) = delete;
  virtual ~SignalBuffer();

  // Appends n values made from n interleaved sample frames at pcm: signed
  // 8-bit or 16-bit little-endian samples; with two or more channels each
  // value is the mean of the frame's samples. Other widths append nothing.
  void AppendPcm(uint32_t bits, uint32_t channels, uint32_t n, const uint8_t* pcm);
  void AppendValues(uint32_t n, const double* values);
  void Clear() { count_ = 0; }
  // Exchanges the values (and the memory holding them) with another
  // buffer; each keeps its cached window and bin edges.
  void ExchangeValues(SignalBuffer& other);

  // Replaces the count values by m box-car averages: value i falls into bin
  // truncate(p_i), where p_0 = 0 and p_i+1 = p_i + m / count (repeated
  // addition), and every bin's sum is multiplied by m / count. No values
  // give m zeros.
  void ReduceToBins(uint32_t m);
  // y[0] = x[0], y[i] = x[i] - 0.97 x[i-1].
  void PreEmphasis();
  // Multiplies by the Hamming window of the current length.
  void ApplyHammingWindow();
  // Replaces the count values by the count/2 + 1 magnitudes of their
  // transform (bins 0 .. count/2).
  void MagnitudeSpectrum();

  uint32_t Count() const { return count_; }
  uint32_t Capacity() const { return capacity_; }
  const double* Data() const { return data_; }

 private:
  bool Reserve(uint32_t needed);
  void SwapScratch();
  bool PrepareBinEdges(uint32_t n, uint32_t m);

  uint32_t capacity_ = 0;
  uint32_t count_ = 0;
  double* data_ = nullptr;
  double* scratch_ = nullptr;
  uint32_t windowLength_ = 0;
  double* window_ = nullptr;
  // Bin b of ReduceToBins(binCount_) over binInputs_ values takes the values
  // binEdges_[b] .. binEdges_[b + 1] - 1; binCount_ 0 when none are cached.
  uint32_t binInputs_ = 0;
  uint32_t binCount_ = 0;
  uint32_t* binEdges_ = nullptr;
};
