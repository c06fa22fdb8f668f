// TempoTagWriter: writes a tempo into an audio file's tag (ID3v2 TBPM),
// for the "Write BPM Tags" command.
//
// Write either stores the tempo with `decimals` digits (0 to 2) after the
// point and returns true, or leaves the file exactly as it was, returns
// false and says why in *error. The window uses FileTempoTagWriter; tests
// may record the calls instead.
#pragma once

#include <string>

class TempoTagWriter {
 public:
  virtual ~TempoTagWriter() = default;
  virtual bool Write(const std::string& path, double bpm, int decimals, std::string* error) = 0;
};

// Writes through the tag library of tags/ (safe against interrupted and
// failed writes).
class FileTempoTagWriter : public TempoTagWriter {
 public:
  bool Write(const std::string& path, double bpm, int decimals, std::string* error) override;
};
