// HelpDocuments: where the Help menu's documents are found.
//
// The documents ("tutorial.html", "help.html", "EULA.html") are looked for
// in a list of folders, first to last: the program's current folder (where
// a user may keep documents of their own), then the documentation folder of
// the installation the program runs from, then the program's own folder
// (where an uninstalled build keeps a copy). The first folder that has the
// document gives its path; when none has it, the path in the first folder
// is given all the same (the desktop then shows that it cannot open it;
// the program itself reports nothing).
#pragma once

#include <string>
#include <vector>

inline constexpr const char* kTutorialDocument = "tutorial.html";
inline constexpr const char* kHelpDocument = "help.html";
inline constexpr const char* kEulaDocument = "EULA.html";

class HelpDocuments {
 public:
  // Folders as full paths, first the one looked in first; empty entries
  // are left out.
  explicit HelpDocuments(std::vector<std::string> folders);

  // The full path of document `name` (a plain file name).
  std::string Locate(const std::string& name) const;

  const std::vector<std::string>& Folders() const { return folders_; }

 private:
  std::vector<std::string> folders_;
};

// The folders of an installed or built program: `currentFolder`, then
// <prefix>/share/doc/tempyra for a program in <prefix>/bin, then
// `programFolder` itself (the last two left out when the program's folder
// is unknown, i.e. empty).
std::vector<std::string> StandardHelpFolders(const std::string& currentFolder,
                                             const std::string& programFolder);
