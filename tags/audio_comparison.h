// Checks that a rewritten file kept everything but its tag: the proof, read
// back from the disk, that a tag write moved the audio without changing it.
// Both files are read through their descriptors with pread; nothing is
// changed.
#pragma once

#include <cstdint>

// True when the last `length` bytes of the two files are the same (and both
// are at least that long). For MPEG files: everything from the first audio
// frame on, with any ID3v1 or APE tag at the end.
bool SameTail(int first, int second, uint64_t length);

// True when both are RIFF WAVE files whose chunks, apart from ID3 chunks
// ("id3 " or "ID3 "), are the same, in the same order, byte for byte.
bool SameWaveChunksApartFromId3(int first, int second);

// True when both are AIFF or AIFF-C files whose chunks, apart from ID3
// chunks ("ID3 ", "id3 "), are the same, in the same order, byte for byte.
bool SameAiffChunksApartFromId3(int first, int second);

// True when both are FLAC files (an ID3v2 tag in front allowed) whose audio
// frames, everything after the last metadata block, are the same.
bool SameFlacFrames(int first, int second);

// True when both are Ogg files whose packets are the same, in the same
// order, but for the second packet (the comment header, where the tags
// are). Pages may be laid out anew around a comment that grew.
bool SameOggPacketsApartFromComments(int first, int second);

// True when both are MP4 files with the same media data: their top-level
// "mdat" boxes, in order, hold the same bytes.
bool SameMp4MediaData(int first, int second);
