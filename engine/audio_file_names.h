// The audio formats an analysis takes, and the file names a folder walk
// takes for them.
//
// kMpegAndWave is MPEG audio (our own decoder) and RIFF WAVE files:
// .mp3, .mp2, .mp1, .mpa, .mpga, .wav and .rmp. kEveryFormat adds what
// FFmpeg's libraries decode: FLAC, ALAC and AAC in MP4 (.m4a, .m4b, .mp4,
// .aac), Ogg Vorbis and Opus (.ogg, .oga, .opus), AIFF and AIFF-C (.aif,
// .aiff, .aifc) and WMA (.wma). Extensions count in any case.
#pragma once

#include <string_view>

enum class AudioFormats {
  kMpegAndWave,  // files of other formats fail, named by the recogniser
  kEveryFormat,  // files of other formats are decoded by FFmpeg
};

// Whether a folder walk takes a file of this name (the name, or a path
// whose last part is the name) for `formats`.
bool IsAudioFileName(std::string_view name, AudioFormats formats);
