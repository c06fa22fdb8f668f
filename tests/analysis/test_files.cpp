// Builders of small MPEG audio files. See test_files.h.
#include "tests/analysis/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/support/temp_folder.h"

namespace {

const int kBitrates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}};     // MPEG-2, 2.5
const int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

void PutLe(Bytes& b, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PutBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

uint32_t SideInfoBytes(const FrameShape& s) {
  if (s.version == 1) return s.mode == 3 ? 17 : 32;
  return s.mode == 3 ? 9 : 17;
}

}  // namespace

uint32_t Layer3FrameLength(const FrameShape& s) {
  const int br = kBitrates[s.version == 1 ? 0 : 1][s.bitrateIndex] * 1000;
  const int fs = kRates[s.version - 1][s.sampleRateIndex];
  return static_cast<uint32_t>(144 * br / fs / (s.version == 1 ? 1 : 2) + s.padding);
}

Bytes SilentLayer3Frame(const FrameShape& s) {
  Bytes frame(Layer3FrameLength(s), 0);
  frame[0] = 0xFF;
  const uint8_t nibble = s.version == 3 ? 0xE0 : 0xF0;
  const uint8_t id = s.version == 1 ? 0x08 : 0x00;
  frame[1] = static_cast<uint8_t>(nibble | id | 0x02 /* Layer III */ | 0x01 /* no CRC */);
  frame[2] =
      static_cast<uint8_t>((s.bitrateIndex << 4) | (s.sampleRateIndex << 2) | (s.padding << 1));
  frame[3] = static_cast<uint8_t>((s.mode << 6) | 0x04);
  return frame;
}

Bytes SilentStream(const FrameShape& s, uint32_t count) {
  Bytes one = SilentLayer3Frame(s);
  Bytes all;
  all.reserve(one.size() * count);
  for (uint32_t i = 0; i < count; ++i) all.insert(all.end(), one.begin(), one.end());
  return all;
}

Bytes SilentStreamEndingInData(const FrameShape& s, uint32_t count) {
  Bytes all = SilentStream(s, count);
  const uint32_t length = Layer3FrameLength(s);
  for (uint32_t i = 1; i <= count; ++i) all[i * length - 1] = 0xAA;
  return all;
}

Bytes XingFrame(const FrameShape& s, uint32_t frames, uint32_t bytes) {
  Bytes frame = SilentLayer3Frame(s);
  uint8_t* tag = frame.data() + 4 + SideInfoBytes(s);
  std::memcpy(tag, "Xing", 4);
  PutBe32(tag + 4, 0x0F);
  PutBe32(tag + 8, frames);
  PutBe32(tag + 12, bytes);
  return frame;
}

Bytes Id3v2Tag(uint32_t size, uint8_t flags, uint8_t fill) {
  const uint8_t sizeBytes[4] = {
      static_cast<uint8_t>((size >> 21) & 0x7F), static_cast<uint8_t>((size >> 14) & 0x7F),
      static_cast<uint8_t>((size >> 7) & 0x7F), static_cast<uint8_t>(size & 0x7F)};
  const bool footer = (flags & 0x10) != 0;
  Bytes tag(10 + size + (footer ? 10 : 0), fill);
  std::memcpy(tag.data(), "ID3\x04\x00", 5);
  tag[5] = flags;
  std::memcpy(tag.data() + 6, sizeBytes, 4);
  if (footer) {
    uint8_t* f = tag.data() + 10 + size;
    std::memcpy(f, "3DI\x04\x00", 5);
    f[5] = flags;
    std::memcpy(f + 6, sizeBytes, 4);
  }
  return tag;
}

Bytes WaveHeader(uint32_t formatBytes, bool fact, uint32_t dataBytes, uint16_t formatTag) {
  Bytes h = {'R', 'I', 'F', 'F'};
  PutLe(h, 4 + 8 + formatBytes + (fact ? 12 : 0) + 8 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<uint8_t>(c));
  PutLe(h, formatBytes, 4);
  Bytes format(formatBytes, 0);
  format[0] = static_cast<uint8_t>(formatTag);
  format[1] = static_cast<uint8_t>(formatTag >> 8);
  format[2] = 2;  // channels
  h.insert(h.end(), format.begin(), format.end());
  if (fact) {
    for (char c : std::string("fact")) h.push_back(static_cast<uint8_t>(c));
    PutLe(h, 4, 4);
    PutLe(h, 0, 4);
  }
  for (char c : std::string("data")) h.push_back(static_cast<uint8_t>(c));
  PutLe(h, dataBytes, 4);
  return h;
}

Bytes Rmp3Header(uint32_t dataBytes) {
  Bytes h = {'R', 'I', 'F', 'F'};
  PutLe(h, 12 + dataBytes, 4);
  for (char c : std::string("RMP3data")) h.push_back(static_cast<uint8_t>(c));
  PutLe(h, dataBytes, 4);
  return h;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

std::string TempPath(const std::string& name) {
  // ctest runs every test as a process of its own, several at once, and the
  // sanitizer builds run the same tests beside them: each process writes
  // into a folder of its own.
  static const TempFolder folder;
  return folder.File(name);
}

std::string WriteTempFile(const std::string& name, const Bytes& bytes) {
  std::string path = TempPath(name);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr) << path;
  if (f != nullptr) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}
