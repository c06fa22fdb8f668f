// Reading a raw MPEG audio file and walking its frames.
#include "cli/mpeg_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// Bytes readStreamInfo wants offered.
constexpr std::size_t kHeaderWindow = 156;

// Length of an ID3v2 tag at `at` (header, body and footer), or 0.
std::size_t id3v2Length(const std::uint8_t* at, std::size_t available) {
    if (available < 10 || at[0] != 'I' || at[1] != 'D' || at[2] != '3') return 0;
    if (at[3] == 0xFF || at[4] == 0xFF || (at[5] & 0x0F) != 0) return 0;
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (at[i] >= 0x80) return 0;
        size = (size << 7) | at[i];
    }
    return 10 + size + ((at[5] & 0x10) ? 10 : 0);
}

}  // namespace

bool LoadMpegFile(const std::string& path, MpegFile& file, std::string& error) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (in == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    file.bytes.clear();
    std::uint8_t chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) file.bytes.insert(file.bytes.end(), chunk, chunk + got);
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed) {
        error = "read error";
        return false;
    }
    const std::size_t size = file.bytes.size();
    file.audioStart = 0;
    while (std::size_t tag = id3v2Length(file.bytes.data() + file.audioStart, size - file.audioStart)) {
        file.audioStart = std::min(size, file.audioStart + tag);
    }
    file.audioEnd = size;
    if (size - file.audioStart >= 128 && std::memcmp(file.bytes.data() + size - 128, "TAG", 3) == 0) {
        file.audioEnd = size - 128;
    }
    return true;
}

int ReadFrameInfo(mpeg::MpegDecoder& decoder, const MpegFile& file, std::size_t offset, mpeg::StreamInfo& info) {
    if (offset + 4 > file.audioEnd) return 0;
    const std::size_t left = file.audioEnd - offset;
    if (left >= kHeaderWindow) {
        return mpeg::readStreamInfo(decoder, file.bytes.data() + offset, std::int32_t(std::min<std::size_t>(left, 1 << 20)),
                                    info, 1);
    }
    std::uint8_t padded[kHeaderWindow] = {};
    std::memcpy(padded, file.bytes.data() + offset, left);
    return mpeg::readStreamInfo(decoder, padded, std::int32_t(kHeaderWindow), info, 1);
}

std::size_t FindFirstFrame(mpeg::MpegDecoder& decoder, const MpegFile& file, mpeg::StreamInfo& info) {
    for (std::size_t offset = file.audioStart; offset + 4 <= file.audioEnd; ++offset) {
        if (file.bytes[offset] != 0xFF) continue;
        if (ReadFrameInfo(decoder, file, offset, info)) return offset;
    }
    return file.audioEnd;
}
