// The run log. See run_log.h.
#include "ui/run_log.h"

#include <cstdio>

#include "platform/path.h"
#include "platform/utf8_path.h"
#include "ui/bpm_text.h"
#include "ui/track_list.h"

namespace {

constexpr long kLineWidth = 80;

}  // namespace

std::string FormatLogLine(std::string_view fileName, std::string_view bpm, int decimals) {
  const std::string_view name = FileNameOf(fileName);
  const std::string number = FormatFixed(ParseBpmText(bpm), decimals);
  const long width = kLineWidth - static_cast<long>(name.size());
  const size_t field = static_cast<size_t>(width < 0 ? -width : width);
  const size_t padding = number.size() < field ? field - number.size() : 0;

  std::string line(name);
  if (width >= 0) line.append(padding, ' ');
  line += number;
  if (width < 0) line.append(padding, ' ');
  line += "\r\n";
  return line;
}

LogWriteResult WriteRunLog(const std::string& path, const TrackList& tracks, int decimals) {
  std::FILE* file = OpenStdioFile(path, "wb");
  if (file == nullptr) return LogWriteResult::kCannotOpen;
  bool complete = true;
  for (int row = 0; row < tracks.RowCount() && complete; ++row) {
    const TrackRow& values = tracks.Row(row);
    if (values.itemData == 0) continue;
    const std::string line = FormatLogLine(values.fileName, values.bpm, decimals);
    complete = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  }
  if (std::fflush(file) != 0) complete = false;
  if (std::fclose(file) != 0) complete = false;
  return complete ? LogWriteResult::kWritten : LogWriteResult::kIncomplete;
}
