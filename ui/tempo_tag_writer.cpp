// The tag writer over the tag library. See tempo_tag_writer.h.
#include "ui/tempo_tag_writer.h"

#include "tags/tempo_tag.h"

bool FileTempoTagWriter::Write(const std::string& path, double bpm, int decimals,
                               std::string* error) {
  const TempoTagWriting written = WriteTempoTag(path, bpm, decimals);
  if (!written.ok && error != nullptr) *error = written.error;
  return written.ok;
}

std::optional<double> FileTempoTagWriter::ReadTempo(const std::string& path) {
  const TempoTagReading reading = ReadTempoTag(path);
  if (reading.status != TempoTagReading::Status::kTempo) return std::nullopt;
  return reading.bpm;
}
