// source_fuzzer: the audio source over an arbitrary file image.
//
// The input's first byte chooses a wrapper that is built around the rest,
// so that mutations of the audio bytes reach every layout the source
// recognises; the image is written to an in-memory file and opened by path,
// exactly as a file on disk. Layout byte, low three bits:
//   0     the rest as it is (a raw stream, another format's signature, or
//         any RIFF the mutations make)
//   1     an ID3v2 tag in front: its size from the next two bytes, its flags
//         (footer bit included) from the third
//   2     RIFF WAVE, 30-byte format chunk, "fact" at 50: audio at 70
//   3     RIFF WAVE, 32-byte format chunk, "fact" at 52: audio at 72
//   4     RIFF WAVE, 30-byte format chunk, "data" at 50: audio at 58
//   5     RIFF RMP3, "data" at 12: audio at 20
//   6     RIFF WAVE whose format chunk is of a size no layout has
//   7     RIFF WAVE as ffmpeg writes MP3 in WAV: an 18-byte format chunk, a
//         "LIST" chunk of 4 + (layout >> 5) x 2 bytes, the "data" chunk,
//         found by walking the chunks
// Bit 3 adds a 128-byte ID3v1 tag at the end; bit 4 makes the ID3v2 size
// point far past the end of the image.
//
// Each image is decoded to its end twice, by two sources one after the other:
// both must give the same blocks and the same PCM (no state may leak from
// one stream into the next), every block must be well-formed, the work must
// stay proportional to the input, and a file that does not open must say
// why.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/audio_source.h"
#include "engine/pcm_wave.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "source_fuzzer: %s\n", what);
    std::abort();
  }
}

void Append(std::vector<uint8_t>& image, const void* bytes, size_t n) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  image.insert(image.end(), p, p + n);
}

void AppendLe32(std::vector<uint8_t>& image, uint32_t value) {
  for (int i = 0; i < 4; ++i) image.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// RIFF WAVE header: format chunk of formatBytes (tag 0x55, MPEG Layer III),
// an optional "fact" chunk, then the "data" chunk header.
void AppendWaveHeader(std::vector<uint8_t>& image, uint32_t formatBytes, bool fact,
                      uint32_t dataBytes) {
  Append(image, "RIFF", 4);
  AppendLe32(image, 4 + 8 + formatBytes + (fact ? 12 : 0) + 8 + dataBytes);
  Append(image, "WAVEfmt ", 8);
  AppendLe32(image, formatBytes);
  std::vector<uint8_t> format(formatBytes, 0);
  if (formatBytes >= 4) {
    format[0] = 0x55;
    format[2] = 2;
  }
  Append(image, format.data(), format.size());
  if (fact) {
    Append(image, "fact", 4);
    AppendLe32(image, 4);
    AppendLe32(image, 0);
  }
  Append(image, "data", 4);
  AppendLe32(image, dataBytes);
}

std::vector<uint8_t> BuildImage(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image;
  if (size == 0) return image;
  const uint8_t layout = data[0];
  ++data;
  --size;
  const uint32_t audioBytes = static_cast<uint32_t>(size);
  switch (layout & 7) {
    case 1: {
      if (size < 3) return image;
      uint32_t tagSize = (uint32_t{data[0]} << 8 | data[1]) & 0x3FFF;
      const uint8_t flags = data[2] & 0xF0;
      data += 3;
      size -= 3;
      if (layout & 0x10) tagSize = 0x0FFFFFFF;
      const uint8_t header[10] = {'I',
                                  'D',
                                  '3',
                                  4,
                                  0,
                                  flags,
                                  static_cast<uint8_t>((tagSize >> 21) & 0x7F),
                                  static_cast<uint8_t>((tagSize >> 14) & 0x7F),
                                  static_cast<uint8_t>((tagSize >> 7) & 0x7F),
                                  static_cast<uint8_t>(tagSize & 0x7F)};
      Append(image, header, sizeof header);
      // The tag's body comes from the input too, so that headers hidden in
      // it are tried; whatever it does not cover is zero.
      const size_t body = std::min<size_t>(tagSize + ((flags & 0x10) ? 10 : 0), size / 2);
      Append(image, data, body);
      if (!(layout & 0x10)) image.resize(image.size() + tagSize + ((flags & 0x10) ? 10 : 0) - body);
      data += body;
      size -= body;
      break;
    }
    case 2:
      AppendWaveHeader(image, 30, true, audioBytes);
      break;
    case 3:
      AppendWaveHeader(image, 32, true, audioBytes);
      break;
    case 4:
      AppendWaveHeader(image, 30, false, audioBytes);
      break;
    case 5:
      Append(image, "RIFF", 4);
      AppendLe32(image, 12 + audioBytes);
      Append(image, "RMP3data", 8);
      AppendLe32(image, audioBytes);
      break;
    case 6:
      AppendWaveHeader(image, 20 + (layout >> 5), layout & 0x20, audioBytes);
      break;
    case 7: {
      const uint32_t listBytes = 4 + 2 * (layout >> 5);
      Append(image, "RIFF", 4);
      AppendLe32(image, 4 + 26 + 8 + listBytes + 8 + audioBytes);
      Append(image, "WAVEfmt ", 8);
      AppendLe32(image, 18);
      const uint8_t format[18] = {0x55, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x80, 0x3E, 0, 0, 1};
      Append(image, format, sizeof format);
      Append(image, "LIST", 4);
      AppendLe32(image, listBytes);
      Append(image, "INFO", 4);
      image.resize(image.size() + listBytes - 4, 'x');
      Append(image, "data", 4);
      AppendLe32(image, audioBytes);
      break;
    }
    default:
      break;
  }
  Append(image, data, size);
  if (layout & 0x08) {
    uint8_t tag[128] = {'T', 'A', 'G'};
    for (size_t i = 3; i < sizeof tag; ++i) tag[i] = static_cast<uint8_t>(i * 37);
    Append(image, tag, sizeof tag);
  }
  return image;
}

struct Decoded {
  int openResult = -1;
  uint64_t blocks = 0;
  uint64_t pcmHash = 1469598103934665603ull;
  AudioSource::WorkCounts work;
};

Decoded DecodeAll(const std::string& path, uint64_t imageSize) {
  Decoded d;
  AudioSource source;
  d.openResult = source.Open(path);
  Check(d.openResult == AudioSource::kOpened || d.openResult == AudioSource::kCannotOpen,
        "Open gave an unknown result");
  Check(source.IsOpen() == (d.openResult == AudioSource::kOpened), "Open result and state differ");
  Check(d.openResult == AudioSource::kOpened || !source.LastError().empty(),
        "a failed Open gives no reason");
  // Every block takes at least 24 bytes of data (the shortest frame).
  const uint64_t maxBlocks = imageSize / 24 + 1;
  while (const PcmBlock* block = source.NextBlock()) {
    Check(block->blockIndex == (d.blocks & 0xFFFF), "block index is not the 16-bit count");
    Check(d.blocks != 0 || block->followsPrevious, "the first block does not count as in sequence");
    const mpeg::StreamInfo& info = block->info;
    Check(info.outChannels == 1 || info.outChannels == 2, "channels");
    Check(info.outBits == 16, "bits");
    Check(info.outSampleRate >= 8000 && info.outSampleRate <= 48000, "sampling rate");
    Check(block->pcmBytes > 0 && block->pcmBytes <= 1152 * 2 * 2, "PCM byte count");
    Check(block->pcm != nullptr, "PCM address");
    Check(source.LastFrameOffset() < imageSize, "frame offset outside the file");
    for (uint32_t i = 0; i < block->pcmBytes; ++i)
      d.pcmHash = (d.pcmHash ^ block->pcm[i]) * 1099511628211ull;
    ++d.blocks;
    Check(d.blocks <= maxBlocks, "more blocks than the data can hold");
  }
  Check(source.NextBlock() == nullptr, "a block after the end");
  d.work = source.Work();
  // Every byte of the image costs at most one header check in the scan and
  // one after it, and a frame decode is tried only where a header was read.
  Check(d.work.headerReads <= 2 * imageSize + 2, "header checks out of proportion");
  Check(d.work.frameDecodes <= d.blocks + d.work.bytesSkipped, "frame decodes out of proportion");
  source.Close();
  Check(!source.IsOpen(), "Close leaves the source open");
  return d;
}

struct MemoryFile {
  int fd = -1;
  std::string path;
  MemoryFile() {
    fd = memfd_create("source_fuzzer", MFD_CLOEXEC);
    Check(fd >= 0, "memfd_create failed");
    path = "/proc/self/fd/" + std::to_string(fd);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile file;
  const std::vector<uint8_t> image = BuildImage(data, size);
  Check(ftruncate(file.fd, 0) == 0, "ftruncate failed");
  size_t written = 0;
  while (written < image.size()) {
    ssize_t n = pwrite(file.fd, image.data() + written, image.size() - written,
                       static_cast<off_t>(written));
    Check(n > 0, "pwrite failed");
    written += static_cast<size_t>(n);
  }

  // The PCM wave chunk walk sees the same images.
  PcmWave wave;
  if (FindPcmWave(image.data(), static_cast<uint32_t>(image.size()), &wave)) {
    Check(wave.dataOffset <= image.size() && wave.dataBytes <= image.size() - wave.dataOffset,
          "PCM wave data outside the file");
    Check(wave.FrameBytes() != 0 && wave.dataBytes % wave.FrameBytes() == 0, "PCM wave frames");
  }

  const Decoded first = DecodeAll(file.path, image.size());
  const Decoded second = DecodeAll(file.path, image.size());
  Check(first.openResult == second.openResult, "the same image opened differently");
  Check(first.blocks == second.blocks, "the same image gave different block counts");
  Check(first.pcmHash == second.pcmHash, "the same image gave different PCM");
  return 0;
}
