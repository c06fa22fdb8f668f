// FolderChooser: the modal folder browser owned by the dialog. Returns the
// chosen folder's full path, or nothing when the user cancels.
#pragma once

#include <optional>
#include <string>

class FolderChooser {
 public:
  virtual ~FolderChooser() = default;
  virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
};
