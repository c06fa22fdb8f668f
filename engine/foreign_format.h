// ForeignFormatName: recognises, from its first bytes, a file of another
// format than MPEG audio, so that it fails at once with a reason that names
// it instead of being scanned for frame headers that happen to lie in its
// data.
//
// Known: FLAC, Ogg, AIFF and AIFF-C, RF64 and BW64, MP4 (M4A, MOV),
// Matroska and WebM, ASF (WMA, WMV), AAC in ADTS frames, Monkey's Audio,
// WavPack, Musepack, TTA, Sun and Core Audio files, MIDI, AMR, MPEG
// program and transport streams, and a few picture and document formats.
// RIFF files are told apart by the audio source itself, which reads their
// chunks.
#pragma once

#include <cstdint>

// The format's name when `bytes` (the file from the point where its audio
// would begin, `size` bytes readable) starts with a known signature of
// another format; null otherwise. Reads at most the first 400 bytes.
const char* ForeignFormatName(const uint8_t* bytes, uint32_t size);
