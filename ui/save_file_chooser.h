// SaveFileChooser: the modal "save as" dialog owned by the dialog. It does
// not ask before an existing file is chosen (the caller replaces it), leaves
// the current directory as it was, and adds the default extension to a
// chosen name that has none. Returns the chosen path, or nothing when the
// user cancels.
#pragma once

#include <optional>
#include <string>

struct SaveFileRequest {
  std::string title;
  std::string initialName;       // e.g. "bpmlog.txt"
  std::string defaultExtension;  // without the point, e.g. "txt"
  std::string filterLabel;       // e.g. "TXT Files (*.txt)"
  std::string filterPattern;     // e.g. "*.txt"
};

class SaveFileChooser {
 public:
  virtual ~SaveFileChooser() = default;
  virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;
};

// The path with ".extension" added when its file name (after the last '/')
// has no point in it; otherwise the path unchanged. For the choosers whose
// toolkit dialog does not add the default extension itself.
std::string AddDefaultExtension(const std::string& path, const std::string& extension);
