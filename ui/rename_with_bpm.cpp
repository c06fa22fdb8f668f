// Renaming and copying tracks with their tempo in the name. See
// rename_with_bpm.h.
#include "ui/rename_with_bpm.h"

#include "platform/path.h"
#include "ui/bpm_text.h"

std::string PathWithBpm(const std::string& path, double bpm, int decimals, TagPosition position) {
  std::string tag = "(";
  tag.append(FormatFixed(bpm, decimals)).append(")");
  const size_t nameStart = FileNameStart(path);
  std::string result;
  if (position == TagPosition::kBeginning) {
    result.append(path, 0, nameStart).append(tag).append(" ").append(path, nameStart);
    return result;
  }
  const size_t point = path.rfind('.');
  if (point == std::string::npos || point < nameStart)
    return result.append(path).append(" ").append(tag);
  result.append(path, 0, point).append(" ").append(tag).append(path, point);
  return result;
}

int RenameFilesWithBpm(const TrackList& tracks, const RenameRequest& request, FileOperations& files,
                       MessageBoxService& messages) {
  int processed = 0;
  for (int row = 0; row < tracks.RowCount(); ++row) {
    const TrackRow& values = tracks.Row(row);
    if (!values.selected) continue;
    const std::string& path = values.fileName;
    const std::string newPath =
        PathWithBpm(path, ParseBpmText(values.bpm), request.decimals, request.position);
    if (request.operation == FileOperation::kRename) {
      if (!files.MoveFileNoReplace(path, newPath))
        messages.ShowMessage("Unable to rename file!\n" + path + "\nto\n" + newPath, "Tempyra");
    } else {
      if (!files.CopyFileReplacing(path, newPath))
        messages.ShowMessage("Unable to copy file!\n" + path + "\nto\n" + newPath, "Tempyra");
    }
    ++processed;
  }
  if (processed == 0) messages.ShowMessage("No files were renamed/copied.", "Tempyra");
  return processed;
}
