// Where the help documents are found. See help_documents.h.
#include "ui/help_documents.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace {

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

HelpDocuments::HelpDocuments(std::vector<std::string> folders) : folders_(std::move(folders)) {
  std::erase(folders_, std::string());
}

std::string HelpDocuments::Locate(const std::string& name) const {
  for (const std::string& folder : folders_) {
    const std::string path = Join(folder, name);
    if (IsFile(path)) return path;
  }
  return folders_.empty() ? name : Join(folders_.front(), name);
}

std::vector<std::string> StandardHelpFolders(const std::string& currentFolder,
                                             const std::string& programFolder) {
  std::vector<std::string> folders{currentFolder};
  if (!programFolder.empty()) {
    // <prefix>/bin/tempyra has its documents in <prefix>/share/doc/tempyra.
    const std::filesystem::path prefix = std::filesystem::path(programFolder).parent_path();
    folders.push_back((prefix / "share/doc/tempyra").string());
    folders.push_back(programFolder);
  }
  return folders;
}
