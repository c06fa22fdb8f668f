// Where the help documents are found. See help_documents.h.
#include "ui/help_documents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/path.h"
#include "platform/utf8_path.h"

namespace {

bool IsFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(Utf8Path(path), error);
}

}  // namespace

HelpDocuments::HelpDocuments(std::vector<std::string> folders) : folders_(std::move(folders)) {
  std::erase(folders_, std::string());
}

std::string HelpDocuments::Locate(const std::string& name) const {
  for (const std::string& folder : folders_) {
    const std::string path = JoinPath(folder, name);
    if (IsFile(path)) return path;
  }
  return folders_.empty() ? name : JoinPath(folders_.front(), name);
}

std::vector<std::string> StandardHelpFolders(const std::string& currentFolder,
                                             const std::string& programFolder) {
  std::vector<std::string> folders{currentFolder};
  if (!programFolder.empty()) {
    // <prefix>/bin/tempyra has its documents in <prefix>/share/doc/tempyra.
    const std::string prefix = FolderOf(WithoutTrailingSeparators(programFolder));
    folders.push_back(JoinPath(JoinPath(JoinPath(prefix, "share"), "doc"), "tempyra"));
    folders.push_back(programFolder);
  }
  return folders;
}
