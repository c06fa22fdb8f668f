// The folder walk over POSIX directory reading. See folder_walk.h.
//
// A folder's entries are read whole and its handle closed before any
// subfolder is entered, so the depth of a tree never costs more than one
// open file at a time. Most entries are classified by the type readdir
// reports; only symbolic links and file systems that report no type cost a
// stat.
#include "platform/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <utility>
#include <vector>

#include "platform/folder_entries.h"

namespace {

FolderEntryKind KindOfStat(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return FolderEntryKind::kFolder;
  if (S_ISREG(st.st_mode)) return FolderEntryKind::kRegularFile;
  return FolderEntryKind::kOtherFile;
}

// What a symbolic link at `path` stands for: a link to a folder, a link to
// a regular file, or another (also a dangling) link.
FolderEntryKind KindOfLink(const std::string& path) {
  struct stat target;
  if (stat(path.c_str(), &target) != 0) return FolderEntryKind::kOtherFile;
  const FolderEntryKind kind = KindOfStat(target);
  return kind == FolderEntryKind::kFolder ? FolderEntryKind::kFolderLink : kind;
}

FolderEntryKind KindOf(const std::string& folder, const dirent& entry) {
  switch (entry.d_type) {
    case DT_DIR:
      return FolderEntryKind::kFolder;
    case DT_REG:
      return FolderEntryKind::kRegularFile;
    case DT_LNK:
      return KindOfLink(JoinPath(folder, entry.d_name));
    case DT_UNKNOWN: {
      const std::string path = JoinPath(folder, entry.d_name);
      struct stat st;
      if (lstat(path.c_str(), &st) != 0) return FolderEntryKind::kSkip;  // gone meanwhile
      if (S_ISLNK(st.st_mode)) return KindOfLink(path);
      return KindOfStat(st);
    }
    default:
      return FolderEntryKind::kOtherFile;
  }
}

class Walker {
 public:
  Walker(const FolderWalkRules& rules, FolderWalkVisitor& visitor)
      : rules_(rules), visitor_(visitor) {}

  // Walks one folder; `throughLink` says whether it was reached through a
  // symbolic link (otherwise a link swapped in meanwhile is not followed).
  bool Walk(const std::string& folder, bool throughLink) {
    std::vector<FolderEntry> entries;
    if (!ReadFolder(folder, throughLink, &entries)) return false;
    VisitFolderEntries(folder, entries, rules_, visitor_,
                       [this](const std::string& path, bool link) { Walk(path, link); });
    return true;
  }

 private:
  // Reads the entries of a folder not entered before. False when it cannot
  // be opened; a folder met a second time gives no entries.
  bool ReadFolder(const std::string& folder, bool throughLink, std::vector<FolderEntry>* entries) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (throughLink ? 0 : O_NOFOLLOW);
    const int fd = open(folder.c_str(), flags);
    if (fd < 0) {
      visitor_.OnFolderError(folder, errno);
      return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
      visitor_.OnFolderError(folder, errno);
      close(fd);
      return false;
    }
    if (!entered_.insert({st.st_dev, st.st_ino}).second) {
      close(fd);
      return true;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
      visitor_.OnFolderError(folder, errno);
      close(fd);
      return false;
    }
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(dir);
      if (entry == nullptr) {
        if (errno != 0) visitor_.OnFolderError(folder, errno);
        break;
      }
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      entries->push_back({std::string(name), KindOf(folder, *entry)});
    }
    closedir(dir);
    return true;
  }

  const FolderWalkRules& rules_;
  FolderWalkVisitor& visitor_;
  std::set<std::pair<dev_t, ino_t>> entered_;
};

}  // namespace

bool WalkFolder(const std::string& folder, const FolderWalkRules& rules,
                FolderWalkVisitor& visitor) {
  // The folder the user named may itself be a link to a folder.
  return Walker(rules, visitor).Walk(folder, true);
}
