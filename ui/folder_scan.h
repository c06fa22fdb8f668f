// The window's folder scan: every file of a folder and of all its
// subfolders whose name ends in ".mp3" or ".wav" (the last four characters
// in lower case) becomes a row of the track list, through the shared folder
// walk. Every entry that is not a folder counts as a file; links to folders
// are followed (each folder is still entered only once, so a link to a
// parent folder cannot make the scan loop); a subfolder that cannot be read
// is skipped, as is a folder that cannot be searched at all.
#pragma once

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

#include "engine/audio_file_names.h"

class TrackList;

// True for the file names the window lists.
bool IsListedAudioName(std::string_view name);
// The same for `formats`: kMpegAndWave is the window's own rule above;
// kEveryFormat takes every name the analysis takes for every format
// (audio_file_names.h), ".mp3" and ".wav" among them.
bool IsListedAudioName(std::string_view name, AudioFormats formats);

// Appends a row for each listed file below folder, in walk order (depth
// first, entries in the order the file system returns them). Returns the
// number of rows added.
int ScanFolder(const std::string& folder, TrackList& tracks);

// The paths of the listed files below folder, in walk order, without a
// track list; `stop` (when given) is read before each entry and ends the
// walk early when it becomes true, and `found` (when given) counts the
// files as they are found. Both may be read or set by another thread.
// `formats` chooses the names listed (IsListedAudioName).
std::vector<std::string> ScanFolderPaths(const std::string& folder,
                                         const std::atomic<bool>* stop = nullptr,
                                         std::atomic<int>* found = nullptr,
                                         AudioFormats formats = AudioFormats::kMpegAndWave);
