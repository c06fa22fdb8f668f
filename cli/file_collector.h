// Expands the paths given on the command line into the files to analyse.
//
// A file is taken as given, whatever its name. A folder is searched
// recursively for audio files (.mp3, .mp2, .mp1, .mpa, .mpga, .wav, .rmp in
// any case), which follow in byte order of their paths; links to folders
// are not followed, so a link loop cannot make the search endless. A path
// that does not exist stays in the list with the reason, so that it gets
// its "failed" line in its place.
#pragma once

#include <string>
#include <vector>

struct CollectedFile {
  std::string path;
  std::string error;  // non-empty: the file cannot be analysed, and why
};

std::vector<CollectedFile> CollectFiles(const std::vector<std::string>& paths);

// True for the file names a folder search takes.
bool HasAudioExtension(const std::string& name);
