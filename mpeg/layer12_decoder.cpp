// Layer I and Layer II set-ups and frame decoding: bit allocation, scfsi and
// scale factors, the samples (grouped codes for 3, 5 and 9 levels in Layer
// II), requantisation and the polyphase synthesis of the frame's blocks.
//
// Requantisation: the code of a quantiser with Q levels becomes
// (code - (Q - 1) / 2) x 2 / Q x scale factor, which equals the standard's
// formulas; the scale factor of index i is 65536 x 2^(-i/3), which places
// the standard's full-scale sample at 32768 after the synthesis.
#include "mpeg/layer12_decoder.h"

#include <algorithm>
#include <cstring>

#include "mpeg/bit_reader.h"
#include "mpeg/decoder_tables.h"
#include "mpeg/mpeg_decoder.h"
#include "mpeg/standard_tables.h"
#include "mpeg/synthesis.h"

namespace mpeg {

namespace {

// Index of ISO/IEC 13818-3's table in kLayer2AllocationTables: every MPEG-2
// and MPEG-2.5 Layer II stream uses it.
constexpr int kLsfAllocationTable = 4;

// The joint-stereo bound in allocation entries (subband x channel), by
// mode x 4 + mode_extension: joint stereo 4, 8, 12 or 16 subbands of two
// channels; the other modes bound at all 32 subbands.
constexpr std::int32_t kJointStereoBoundEntries[16] = {
    64, 64, 64, 64,  // stereo
    8,  16, 24, 32,  // joint stereo
    64, 64, 64, 64,  // dual channel
    32, 32, 32, 32,  // single channel
};

// Set-up steps both layers share: the subband limit (at most `subbandCap`),
// the channel count, the PCM size and a cleared subband-sample buffer.
void setupStream(MpegDecoder& decoder, const StreamInfo& info, int subbandCap, int blocks) {
    Layer12State& s = decoder.layer12;
    const std::int32_t fs = decoder.streamSampleRate;
    std::int32_t limit = fs > 0 ? (decoder.frequencyLimit * 64 + fs / 2) / fs : 0;
    limit = std::clamp<std::int32_t>(limit, 0, 31);
    s.subbandLimit = std::min<std::int32_t>(limit, subbandCap);
    s.channels = info.mode == 3 ? 1 : 2;
    s.outputBytes = blocks * 32 * s.channels * 2;
    s.silent = 0;
    std::memset(s.subbandSamples, 0, sizeof s.subbandSamples);
    std::memset(s.quantizer, 0, sizeof s.quantizer);
}

// The frame's joint-stereo bound in subbands of this stream, at most `sblimit`.
int jointStereoBound(const Layer12State& s, const FrameRequest& request, int sblimit) {
    const std::int32_t entries = kJointStereoBoundEntries[(request.mode & 3) * 4 + (request.modeExtension & 3)];
    return std::min<std::int32_t>(entries / s.channels, sblimit);
}

// A reader on the frame's bytes after the header and the CRC.
void initFrameReader(BitReader& reader, const FrameRequest& request, const std::uint8_t* input,
                     std::int32_t available) {
    const std::int32_t headerBytes = 4 + (request.crcPresent ? 2 : 0);
    if (available > headerBytes) {
        bitReaderInit(reader, input + headerBytes, available - headerBytes);
    } else {
        bitReaderInit(reader, input, 0);
    }
}

// The frame's PCM from its subband samples: each channel's blocks in order,
// channels interleaved in the output.
void synthesizeFrame(MpegDecoder& decoder, int blocks, std::uint8_t* output) {
    Layer12State& s = decoder.layer12;
    for (int ch = 0; ch < s.channels; ++ch) {
        synthesizeChannel(decoder.synthesis, ch, s.subbandSamples[ch][0], blocks, output + 2 * ch, s.channels);
    }
}

// Reads three consecutive sample codes of one Layer II subband and returns
// them centred (code - (levels - 1) / 2), split from one codeword when the
// quantiser groups them.
inline void readLayer2Triple(BitReader& reader, const Layer12Quantizer& q, const DecoderTables& t,
                             std::int32_t values[3]) {
    switch (q.grouping) {
        case 3: {
            const std::int8_t* digits = t.grouping3[getBits(reader, q.bits) & 31];
            values[0] = digits[0], values[1] = digits[1], values[2] = digits[2];
            return;
        }
        case 5: {
            const std::int8_t* digits = t.grouping5[getBits(reader, q.bits) & 127];
            values[0] = digits[0], values[1] = digits[1], values[2] = digits[2];
            return;
        }
        case 9: {
            const std::int16_t* digits = t.grouping9[getBits(reader, q.bits) & 1023];
            values[0] = digits[0], values[1] = digits[1], values[2] = digits[2];
            return;
        }
        default:
            for (int k = 0; k < 3; ++k) values[k] = std::int32_t(getBits(reader, q.bits)) - q.offset;
            return;
    }
}

}  // namespace

int layer1Setup(MpegDecoder& decoder, const StreamInfo& info) {
    setupStream(decoder, info, 32, kLayer1Blocks);
    Layer12State& s = decoder.layer12;
    s.sblimit = 32;
    s.allocationTable = nullptr;
    return 1;
}

int layer2Setup(MpegDecoder& decoder, const StreamInfo& info) {
    Layer12State& s = decoder.layer12;
    int tableNumber = kLsfAllocationTable;
    if (info.version == 1) {
        const bool indicesValid = info.mode >= 0 && info.mode < 4 && info.sampleRateIndex >= 0 &&
                                  info.sampleRateIndex < 3 && info.bitrateIndex >= 0 && info.bitrateIndex < 16;
        tableNumber = indicesValid ? kLayer2TableChoice[info.mode][info.sampleRateIndex][info.bitrateIndex] : -1;
    }
    if (tableNumber < 0) {
        // A combination ISO/IEC 11172-3 does not allow: no table fits, and
        // every frame of the stream decodes to silence.
        s.channels = info.mode == 3 ? 1 : 2;
        s.outputBytes = kLayer2Blocks * 32 * s.channels * 2;
        s.silent = 1;
        s.allocationTable = nullptr;
        s.subbandLimit = 0;
        s.sblimit = 0;
        return 0;
    }
    const Layer2AllocationTable& table = kLayer2AllocationTables[tableNumber];
    setupStream(decoder, info, table.sblimit, kLayer2Blocks);
    s.sblimit = table.sblimit;
    s.allocationTable = &table;
    return 1;
}

void layer1DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output) {
    Layer12State& s = decoder.layer12;
    if (s.silent) {
        std::memset(output, 0, std::size_t(s.outputBytes));
        return;
    }
    const DecoderTables& t = decoderTables();
    BitReader reader;
    initFrameReader(reader, request, input, available);
    const int channels = s.channels;
    const int bound = jointStereoBound(s, request, 32);

    // Bit allocation: 4 bits per subband and channel below the bound, one
    // allocation for both channels from the bound up.
    std::uint32_t allocation[2][32];
    for (int sb = 0; sb < bound; ++sb) {
        for (int ch = 0; ch < channels; ++ch) allocation[ch][sb] = getBits(reader, 4);
    }
    for (int sb = bound; sb < 32; ++sb) allocation[0][sb] = allocation[1][sb] = getBits(reader, 4);

    // Scale factors of every allocated subband, each folded into the
    // quantiser's factor.
    for (int sb = 0; sb < 32; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            Layer12Quantizer& q = s.quantizer[ch][sb];
            const std::uint32_t a = allocation[ch][sb];
            if (a == 0) {
                q.bits = 0;
                q.grouping = 0;
                q.offset = 0;
                q.factor[0] = 0.0f;
                continue;
            }
            q.bits = std::int32_t(a) + 1;
            q.grouping = 0;
            q.offset = (1 << a) - 1;
            q.factor[0] = t.layer12ScaleFactor[getBits(reader, 6)] * t.layer1SampleFactor[a];
        }
    }

    // Sample bits per block of the subbands above the limit, passed over.
    const int limit = s.subbandLimit;
    std::int32_t skip = 0;
    for (int sb = limit; sb < 32; ++sb) {
        skip += s.quantizer[0][sb].bits;
        if (channels == 2 && sb < bound) skip += s.quantizer[1][sb].bits;
    }

    const int separate = std::min(bound, limit);
    for (int block = 0; block < kLayer1Blocks; ++block) {
        for (int sb = 0; sb < separate; ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                const Layer12Quantizer& q = s.quantizer[ch][sb];
                float sample = 0.0f;
                if (q.bits != 0) sample = float(std::int32_t(getBits(reader, q.bits)) - q.offset) * q.factor[0];
                s.subbandSamples[ch][block][sb] = sample;
            }
        }
        // From the bound up, one code serves both channels, each with its own scale factor.
        for (int sb = separate; sb < limit; ++sb) {
            const Layer12Quantizer& q = s.quantizer[0][sb];
            float value = 0.0f;
            if (q.bits != 0) value = float(std::int32_t(getBits(reader, q.bits)) - q.offset);
            for (int ch = 0; ch < channels; ++ch) s.subbandSamples[ch][block][sb] = value * s.quantizer[ch][sb].factor[0];
        }
        skipBits(reader, skip);
    }

    synthesizeFrame(decoder, kLayer1Blocks, output);
}

void layer2DecodeFrame(MpegDecoder& decoder, FrameRequest& request, const std::uint8_t* input,
                       std::int32_t available, std::uint8_t* output) {
    Layer12State& s = decoder.layer12;
    if (s.silent || s.allocationTable == nullptr) {
        std::memset(output, 0, std::size_t(s.outputBytes));
        return;
    }
    const DecoderTables& t = decoderTables();
    const Layer2AllocationTable& table = *s.allocationTable;
    BitReader reader;
    initFrameReader(reader, request, input, available);
    const int channels = s.channels;
    const int sblimit = s.sblimit;
    const int bound = jointStereoBound(s, request, sblimit);

    // Bit allocation: nbal bits per subband and channel below the bound, one
    // allocation for both channels from the bound up. A value the table
    // gives no quantiser for counts as no allocation.
    std::uint32_t allocation[2][32];
    for (int sb = 0; sb < sblimit; ++sb) {
        const int nbal = table.nbal[sb];
        if (sb < bound) {
            for (int ch = 0; ch < channels; ++ch) allocation[ch][sb] = getBits(reader, nbal);
        } else {
            allocation[0][sb] = allocation[1][sb] = getBits(reader, nbal);
        }
        for (int ch = 0; ch < channels; ++ch) {
            if (table.classIndex[sb][allocation[ch][sb] & 15] < 0) allocation[ch][sb] = 0;
        }
    }

    // scfsi of every allocated subband.
    std::uint32_t scfsi[2][32];
    for (int sb = 0; sb < sblimit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) scfsi[ch][sb] = allocation[ch][sb] != 0 ? getBits(reader, 2) : 0;
    }

    // Scale factors: three parts of four granules each, coded as scfsi says.
    for (int sb = 0; sb < sblimit; ++sb) {
        for (int ch = 0; ch < channels; ++ch) {
            Layer12Quantizer& q = s.quantizer[ch][sb];
            const std::uint32_t a = allocation[ch][sb];
            if (a == 0) {
                q.bits = 0;
                q.grouping = 0;
                q.offset = 0;
                q.factor[0] = q.factor[1] = q.factor[2] = 0.0f;
                continue;
            }
            std::uint32_t index[3];
            switch (scfsi[ch][sb]) {
                case 0:
                    index[0] = getBits(reader, 6);
                    index[1] = getBits(reader, 6);
                    index[2] = getBits(reader, 6);
                    break;
                case 1:
                    index[0] = index[1] = getBits(reader, 6);
                    index[2] = getBits(reader, 6);
                    break;
                case 2:
                    index[0] = index[1] = index[2] = getBits(reader, 6);
                    break;
                default:
                    index[0] = getBits(reader, 6);
                    index[1] = index[2] = getBits(reader, 6);
                    break;
            }
            const int classIndex = table.classIndex[sb][a];
            const Layer2Class& quantizerClass = kLayer2Classes[classIndex];
            q.bits = quantizerClass.bits;
            q.grouping = quantizerClass.grouped ? quantizerClass.levels : 0;
            q.offset = (quantizerClass.levels - 1) / 2;
            const float levelFactor = t.layer2QuantizerFactor[classIndex];
            for (int part = 0; part < 3; ++part) q.factor[part] = t.layer12ScaleFactor[index[part]] * levelFactor;
        }
    }

    // Sample bits per granule of the subbands above the limit, passed over.
    const int limit = s.subbandLimit;
    std::int32_t skip = 0;
    for (int sb = limit; sb < sblimit; ++sb) {
        for (int ch = 0; ch < (sb < bound ? channels : 1); ++ch) {
            const Layer12Quantizer& q = s.quantizer[ch][sb];
            skip += q.grouping != 0 ? q.bits : 3 * q.bits;
        }
    }

    const int separate = std::min(bound, limit);
    for (int granule = 0; granule < 12; ++granule) {
        const int part = granule >> 2;
        const int block = 3 * granule;
        std::int32_t values[3];
        for (int sb = 0; sb < separate; ++sb) {
            for (int ch = 0; ch < channels; ++ch) {
                const Layer12Quantizer& q = s.quantizer[ch][sb];
                float (*samples)[32] = s.subbandSamples[ch] + block;
                if (q.bits == 0) {
                    samples[0][sb] = samples[1][sb] = samples[2][sb] = 0.0f;
                    continue;
                }
                readLayer2Triple(reader, q, t, values);
                const float factor = q.factor[part];
                samples[0][sb] = float(values[0]) * factor;
                samples[1][sb] = float(values[1]) * factor;
                samples[2][sb] = float(values[2]) * factor;
            }
        }
        // From the bound up, one triple serves both channels, each with its own scale factor.
        for (int sb = separate; sb < limit; ++sb) {
            const Layer12Quantizer& q = s.quantizer[0][sb];
            values[0] = values[1] = values[2] = 0;
            if (q.bits != 0) readLayer2Triple(reader, q, t, values);
            for (int ch = 0; ch < channels; ++ch) {
                const float factor = s.quantizer[ch][sb].factor[part];
                float (*samples)[32] = s.subbandSamples[ch] + block;
                samples[0][sb] = float(values[0]) * factor;
                samples[1][sb] = float(values[1]) * factor;
                samples[2][sb] = float(values[2]) * factor;
            }
        }
        skipBits(reader, skip);
    }

    synthesizeFrame(decoder, kLayer2Blocks, output);
}

}  // namespace mpeg
