// Expands the paths given on the command line into the files to analyse.
//
// A file is taken as given, whatever its name. A folder is walked
// recursively for audio files of every format we analyse (the names
// IsAudioFileName takes with kEveryFormat: MPEG audio, WAVE, FLAC, M4A, Ogg,
// Opus, AIFF, WMA...; regular files only), which follow in byte order of their
// paths; links to folders are not followed. A path that does not exist
// stays in the list with the reason, so that it gets its "failed" line in
// its place. Folders that cannot be read (the named one or one met below
// it) are collected apart, with the reason, for the caller to report.
#pragma once

#include <string>
#include <vector>

struct CollectedFile {
  std::string path;
  std::string error;  // non-empty: the file cannot be analysed, and why
};

struct UnreadableFolder {
  std::string path;
  std::string reason;
};

struct Collection {
  std::vector<CollectedFile> files;
  std::vector<UnreadableFolder> unreadableFolders;
};

Collection CollectFiles(const std::vector<std::string>& paths);
