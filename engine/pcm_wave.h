// PcmWave: finds the sample data of a RIFF "WAVE" file that holds plain
// 8-bit or 16-bit PCM, so that such files can go straight into the tempo
// detector without a decoder.
//
// The chunks are walked properly (any order, odd sizes padded, unknown
// chunks skipped; RiffChunkWalk); a data chunk that claims more bytes than
// the file holds is cut at the end of the file. WAVE files holding anything else (MPEG
// audio, floating point, 24-bit) are not PCM waves here.
#pragma once

#include <cstdint>

// Limits of what is taken as PCM: up to 8 channels of 16 bits, sampling
// rates from 1000 to 384000 Hz (the detector's buffers grow with the rate).
constexpr uint32_t kMaxWaveChannels = 8;
constexpr uint32_t kMaxWaveFrameBytes = kMaxWaveChannels * 2;
constexpr uint32_t kMinWaveSampleRate = 1000;
constexpr uint32_t kMaxWaveSampleRate = 384000;

struct PcmWave {
  uint32_t sampleRate = 0;
  uint32_t channels = 0;
  uint32_t bitsPerSample = 0;  // 8 (unsigned samples) or 16 (signed, little-endian)
  uint32_t dataOffset = 0;     // first sample byte in the file
  uint32_t dataBytes = 0;      // whole sample frames only
  uint32_t FrameBytes() const { return channels * bitsPerSample / 8; }
};

// Fills *wave and returns true when the file image is a PCM WAVE we can read.
bool FindPcmWave(const uint8_t* file, uint32_t size, PcmWave* wave);
