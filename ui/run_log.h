// The log of an analysis run: one line per row of the run (item data not 0),
// in row order, each the file's name and its tempo right-aligned so that the
// line is 80 characters long before its CR LF:
//
//   name    the FileName text after its last '/' (the whole text without one)
//   number  the BPM text read as atof reads it (0 for an empty or failed
//           row), fixed-point with D decimals, right-aligned in a field of
//           80 - L characters (L the name's length in bytes); when L is
//           above 80 the field is L - 80 wide and the number left-aligned in
//           it, as printf's negative field width does
//   end     CR LF
//
// There is no header and no summary; a run without rows gives an empty file.
#pragma once

#include <string>
#include <string_view>

class TrackList;

// One line of the log, CR LF included.
std::string FormatLogLine(std::string_view fileName, std::string_view bpm, int decimals);

enum class LogWriteResult {
  kWritten,
  kCannotOpen,  // the file could not be created or opened: nothing written
  kIncomplete,  // opened, but a write or the close failed (disk full,
                // I/O error): what is in the file is cut short
};

// Writes the log of the run's rows to path, replacing what the file held.
// D, the number of decimals, is the decimal-places value.
LogWriteResult WriteRunLog(const std::string& path, const TrackList& tracks, int decimals);
