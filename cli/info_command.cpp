// `tempyra-cli info`: finds the first frame and prints its stream information.
#include "cli/info_command.h"

#include <cstdio>
#include <memory>

#include "cli/mpeg_file.h"

int RunInfoCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: tempyra-cli info FILE\n");
        return 2;
    }
    MpegFile file;
    std::string error;
    if (!LoadMpegFile(args[0], file, error)) {
        std::fprintf(stderr, "tempyra-cli: cannot read %s: %s\n", args[0].c_str(), error.c_str());
        return 1;
    }
    auto decoder = std::make_unique<mpeg::MpegDecoder>();
    mpeg::initDecoder(*decoder);
    mpeg::StreamInfo s{};
    if (FindFirstFrame(*decoder, file, s) >= file.audioEnd) {
        std::fprintf(stderr, "tempyra-cli: %s: no MPEG audio frame found\n", args[0].c_str());
        return 1;
    }
    const struct {
        const char* name;
        std::int32_t value;
    } fields[] = {
        {"version", s.version},
        {"layer", s.layer},
        {"crcPresent", s.crcPresent},
        {"bitrateIndex", s.bitrateIndex},
        {"sampleRateIndex", s.sampleRateIndex},
        {"padding", s.padding},
        {"privateBit", s.privateBit},
        {"mode", s.mode},
        {"modeExtension", s.modeExtension},
        {"copyright", s.copyright},
        {"original", s.original},
        {"emphasis", s.emphasis},
        {"outChannels", s.outChannels},
        {"outBits", s.outBits},
        {"outSampleRate", s.outSampleRate},
        {"bitrate", s.bitrate},
        {"totalFrames", s.totalFrames},
        {"tagFrameLength", s.tagFrameLength},
        {"totalBytes", s.totalBytes},
        {"minFrameLength", s.minFrameLength},
        {"maxFrameLength", s.maxFrameLength},
        {"outBytesPerFrame", s.outBytesPerFrame},
    };
    for (const auto& field : fields) std::printf("%s=%d\n", field.name, field.value);
    return 0;
}
