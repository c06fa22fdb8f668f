// TempoTagWriter: writes a tempo into an audio file's tag (ID3v2 TBPM, or
// the format's own field), for the "Write BPM Tags" command, and reads the
// tempo already there (the "Tag" column, "Skip Tagged Files").
//
// Write either stores the tempo with `decimals` digits (0 to 2) after the
// point and returns true, or leaves the file exactly as it was, returns
// false and says why in *error. The window uses FileTempoTagWriter; tests
// may record the calls instead. ReadTempo gives the tag's tempo, nothing
// where the file has none or cannot be read; FileTempoTagWriter's may be
// called on several threads at once.
#pragma once

#include <optional>
#include <string>

class TempoTagWriter {
 public:
  virtual ~TempoTagWriter() = default;
  virtual bool Write(const std::string& path, double bpm, int decimals, std::string* error) = 0;
  virtual std::optional<double> ReadTempo(const std::string& path) = 0;
};

// Writes through the tag library of tags/ (safe against interrupted and
// failed writes).
class FileTempoTagWriter : public TempoTagWriter {
 public:
  bool Write(const std::string& path, double bpm, int decimals, std::string* error) override;
  std::optional<double> ReadTempo(const std::string& path) override;
};
