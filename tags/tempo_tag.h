// The tempo in a file's tag: its ID3v2 TBPM frame, read and written with
// TagLib, for the DJ programs that read it from there.
//
// Tags are read and written in MPEG audio files (MP3, MP2, MP1) and in RIFF
// WAVE files (an ID3v2 chunk). Nothing else of a file changes: no other
// frame, no other tag (ID3v1, APE, RIFF INFO), and not a byte of the audio.
// A file with an ID3v1 tag and no ID3v2 tag gets an ID3v2 tag that repeats
// the ID3v1 tag's fields beside the tempo: readers prefer an ID3v2 tag, and
// would otherwise show none of them.
// An existing ID3v2.3 or ID3v2.4 tag keeps its version; a new tag, or an
// older one, is written as ID3v2.3, which every reader takes.
//
// A write never leaves a damaged file. When the new tag fits in the space of
// the old one (its padding), only the tag's bytes are overwritten, in place.
// Otherwise the file is rewritten into a temporary copy beside it, which is
// checked (the audio byte for byte, the tag read back) and then renamed over
// the original: a write broken off at any point, by a killed process or a
// full disk, leaves the original whole. A file with several hard links keeps
// its inode instead, so that every link sees the new tag: a backup copy is
// made beside it (".NAME.tempyra-backup-XXXXXX"), the file is written and
// checked against the backup, and the backup removed; a failed write is
// undone from the backup, and a killed process leaves the backup beside the
// file. Files without any write permission bit are read-only to us, even
// for root.
//
// A failure's error leads with its cause where it is a common one: "the
// file is read-only", "the folder is read-only", "the disk is full", "not a
// supported format".
//
// Calls for different files may run at once on several threads (tempyra-cli's
// workers do); each call opens its file and its TagLib objects of its own.
#pragma once

#include <string>

struct TempoTagReading {
  enum class Status {
    kTempo,    // the TBPM frame holds a tempo: bpm
    kNoTempo,  // no TBPM frame, or one that holds no tempo (see text)
    kError,    // the file could not be read: error
  };
  Status status = Status::kNoTempo;
  double bpm = 0;     // with kTempo
  std::string text;   // the TBPM frame's text as found; empty without one
  std::string error;  // with kError, one line
};

struct TempoTagWriting {
  bool ok = false;
  std::string text;      // what TBPM holds now, when ok
  bool inPlace = false;  // when ok: overwritten in place, not rewritten
  std::string error;     // when not ok, one line; the file is unchanged
};

// Reads the tempo from the file's TBPM frame ("128", "128.00", "12800").
TempoTagReading ReadTempoTag(const std::string& path);

// Writes `bpm` with `decimals` decimals (0 to 2; 0, a whole number, is what
// ID3v2 prescribes) into the file's TBPM frame, replacing any there.
TempoTagWriting WriteTempoTag(const std::string& path, double bpm, int decimals);
