// Renaming or copying the selected tracks' files so that each name carries
// the row's tempo, e.g. with one decimal:
//
//   at the beginning   /Music/Track one.mp3  ->  /Music/(127.9) Track one.mp3
//   at the end         /Music/Track one.mp3  ->  /Music/Track one (127.9).mp3
//
// The tag is the row's BPM text read as atof reads it (0 for an empty or
// failed row), in fixed-point notation with D = 0, 1 or 2 decimals, between
// parentheses. A tag already in the name is not recognised: it is added
// again. A rename never replaces another file; a copy replaces a file of
// the new name only once the copy is whole (FileOperations). The track list
// is not changed: renamed rows keep showing their old path until the folder
// is listed again.
#pragma once

#include <string>

#include "ui/file_operations.h"
#include "ui/message_box_service.h"
#include "ui/track_list.h"

enum class TagPosition {
  kBeginning,  // before the file name
  kEnd,        // before the extension
};

enum class FileOperation {
  kRename,
  kCopy,
};

struct RenameRequest {
  FileOperation operation = FileOperation::kRename;
  TagPosition position = TagPosition::kBeginning;
  int decimals = 0;  // 0 to 2
};

// The path with the tag "(bpm)" at the position: at the beginning, after
// the path's last '/' (the tag, a space, the file name); at the end, before
// the file name's last '.' (a space, the tag, then the point and the
// extension), or after the name when it has no point.
std::string PathWithBpm(const std::string& path, double bpm, int decimals, TagPosition position);

// Renames or copies the file of every selected row, in row order. A failed
// operation shows "Unable to rename file!\n<old>\nto\n<new>" (or "Unable
// to copy file!...") and the walk goes on with the next row; when no row
// was selected it shows "No files were renamed/copied.". Every message has
// the caption "Tempyra". Returns the number of rows processed (succeeded or
// failed).
int RenameFilesWithBpm(const TrackList& tracks, const RenameRequest& request, FileOperations& files,
                       MessageBoxService& messages);
