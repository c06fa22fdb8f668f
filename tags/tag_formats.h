// The kinds of audio file the tag layer tells apart by content, and the
// tempo fields of those that do not keep it in an ID3v2 TBPM frame.
//
// MPEG audio, WAVE and AIFF files hold the tempo in an ID3v2 tag's TBPM
// frame (tempo_tag.cpp). FLAC files, Ogg Vorbis and Opus files hold it in
// their Vorbis comment, field BPM (text, as TBPM: "128" or "127.50"); MP4
// files (M4A) in the iTunes "tmpo" item, a whole number.
#pragma once

#include <optional>
#include <string>

enum class FileKind {
  kMpeg,       // anything not recognised below: TagLib looks for MPEG audio
  kWave,       // RIFF WAVE
  kOtherRiff,  // another RIFF form (MPEG audio in a RIFF wrapper): not tagged
  kAiff,       // AIFF and AIFF-C
  kFlac,       // FLAC, also behind an ID3v2 tag
  kOggVorbis,
  kOggOpus,
  kMp4,
  kUnsupported,  // another format we know and do not tag (Ogg FLAC, ASF, Matroska...)
};

// The kind of the file open as `descriptor`, from its first bytes.
FileKind KindOf(int descriptor);

// The tempo field's text of a FLAC, Ogg or MP4 file open as `descriptor`;
// nothing without one.
std::optional<std::string> ReadTempoField(int descriptor, FileKind kind);

// Puts `text` into the tempo field of the FLAC, Ogg or MP4 file open as
// `descriptor` (read and write) and saves its tag, no other; false with a
// reason when TagLib cannot.
bool SaveTempoField(int descriptor, FileKind kind, const std::string& text, std::string* error);

// The text a field of this kind holds for `text`: MP4's tmpo holds whole
// numbers only ("127.50" gives "128"); every other field holds it as is.
std::string FieldTextFor(FileKind kind, const std::string& text);
