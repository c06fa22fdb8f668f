// SourceKind: what the track list holds.
#pragma once

enum class SourceKind {
  kNothing = 0,  // nothing chosen yet
  kFolder = 1,   // the audio files of a folder and its subfolders
  kAudioCd = 2,  // the audio tracks of a compact disc
};
