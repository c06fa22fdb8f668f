// `tempyra-cli decode`: walks the frames as the analysis does (a frame's
// length from its header or VBR tag, one byte on when nothing decodes) and
// writes each frame's PCM.
#include "cli/decode_command.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/mpeg_file.h"

int RunDecodeCommand(const std::vector<std::string>& args) {
    std::string input, outputPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) {
            outputPath = args[++i];
        } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
            input = args[i];
        } else {
            std::fprintf(stderr, "usage: tempyra-cli decode FILE [-o OUT.raw]\n");
            return 2;
        }
    }
    if (input.empty()) {
        std::fprintf(stderr, "usage: tempyra-cli decode FILE [-o OUT.raw]\n");
        return 2;
    }

    MpegFile file;
    std::string error;
    if (!LoadMpegFile(input, file, error)) {
        std::fprintf(stderr, "tempyra-cli: cannot read %s: %s\n", input.c_str(), error.c_str());
        return 1;
    }
    auto decoder = std::make_unique<mpeg::MpegDecoder>();
    mpeg::initDecoder(*decoder);
    mpeg::StreamInfo first{};
    std::size_t position = FindFirstFrame(*decoder, file, first);
    if (position >= file.audioEnd) {
        std::fprintf(stderr, "tempyra-cli: %s: no MPEG audio frame found\n", input.c_str());
        return 1;
    }
    if (!mpeg::startStream(*decoder, file.bytes.data() + position, std::int32_t(file.audioEnd - position))) {
        std::fprintf(stderr, "tempyra-cli: %s: cannot decode MPEG-%s Layer %d streams\n", input.c_str(),
                     first.version == 1 ? "1" : first.version == 2 ? "2" : "2.5", first.layer);
        return 1;
    }

    std::FILE* out = stdout;
    if (!outputPath.empty()) {
        out = std::fopen(outputPath.c_str(), "wb");
        if (out == nullptr) {
            std::fprintf(stderr, "tempyra-cli: cannot write %s\n", outputPath.c_str());
            return 1;
        }
    }

    // Room for the largest frame's PCM (1152 samples x 2 channels x 2 bytes).
    std::uint8_t pcm[4 * 1152 * 2];
    long frames = 0;
    bool writeFailed = false;
    while (position < file.audioEnd) {
        mpeg::StreamInfo info{};
        if (!ReadFrameInfo(*decoder, file, position, info)) {
            ++position;
            continue;
        }
        mpeg::FrameRequest request{};
        request.input = file.bytes.data() + position;
        request.available = std::int32_t(std::min<std::size_t>(file.audioEnd - position, 1 << 20));
        request.output = pcm;
        // A frame whose main data is not held writes nothing: it reads as silence.
        std::memset(pcm, 0, sizeof pcm);
        if (!mpeg::decodeFrame(*decoder, request)) {
            ++position;
            continue;
        }
        const std::size_t bytes = std::min<std::size_t>(std::size_t(request.outBytes), sizeof pcm);
        if (std::fwrite(pcm, 1, bytes, out) != bytes) writeFailed = true;
        ++frames;
        if (info.tagFrameLength != 0) {
            position += std::size_t(info.tagFrameLength);
        } else {
            position += std::size_t(info.padding ? info.maxFrameLength : info.minFrameLength);
        }
    }
    if (out != stdout) {
        if (std::fclose(out) != 0) writeFailed = true;
    } else if (std::fflush(out) != 0) {
        writeFailed = true;
    }
    std::fprintf(stderr, "rate=%d channels=%d frames=%ld\n", first.outSampleRate, first.outChannels, frames);
    if (writeFailed) {
        std::fprintf(stderr, "tempyra-cli: writing the PCM failed\n");
        return 1;
    }
    return 0;
}
