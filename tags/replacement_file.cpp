// A copy beside a file, renamed over it when complete. See
// replacement_file.h.
#include "tags/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/path.h"
#include "tags/copy_beside.h"

namespace {

std::string Reason(const char* what, int number) {
  return std::string(what) + ": " + std::strerror(number);
}

}  // namespace

ReplacementFile::~ReplacementFile() {
  Discard();
}

void ReplacementFile::Discard() {
  if (descriptor_ >= 0) close(descriptor_);
  if (!path_.empty()) unlink(path_.c_str());
  descriptor_ = -1;
  path_.clear();
}

bool ReplacementFile::Create(const std::string& originalPath, int original, std::string* error) {
  Discard();
  struct stat status {};
  if (fstat(original, &status) != 0) {
    *error = Reason("cannot read the file's status", errno);
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    *error = "not a regular file";
    return false;
  }
  originalPath_ = originalPath;
  mode_ = status.st_mode & 07777;
  owner_ = status.st_uid;
  group_ = status.st_gid;

  descriptor_ = CopyBeside(originalPath, original, "tempyra-", &path_, error);
  return descriptor_ >= 0;
}

bool ReplacementFile::Commit(std::string* error) {
  if (descriptor_ < 0) {
    *error = "no copy to put in place";
    return false;
  }
  const auto owner = static_cast<uid_t>(owner_);
  const auto group = static_cast<gid_t>(group_);
  // Owner and group first: changing them may clear set-id bits.
  if (fchown(descriptor_, owner, group) != 0 && errno != EPERM) {
    *error = Reason("cannot set the owner of the new file", errno);
    Discard();
    return false;
  }
  struct stat status {};
  if (fstat(descriptor_, &status) != 0 || status.st_uid != owner || status.st_gid != group) {
    *error = "the file's owner and group cannot be kept in a rewritten file";
    Discard();
    return false;
  }
  if (fchmod(descriptor_, static_cast<mode_t>(mode_)) != 0) {
    *error = Reason("cannot set the permissions of the new file", errno);
    Discard();
    return false;
  }
  // Flushed before the rename, so that no crash can leave the name on an
  // empty or partial file.
  if (fsync(descriptor_) != 0) {
    *error = WriteFailureReason(FileAction::kWrite, "cannot write the new file to the disk", errno);
    Discard();
    return false;
  }
  if (rename(path_.c_str(), originalPath_.c_str()) != 0) {
    *error =
        WriteFailureReason(FileAction::kCreateInFolder, "cannot put the new file in place", errno);
    Discard();
    return false;
  }
  path_.clear();  // it is the original now: not to be removed
  close(descriptor_);
  descriptor_ = -1;
  // Make the rename itself lasting; the file is already in place if this fails.
  const std::string folder = FolderOf(originalPath_);
  const int folderDescriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderDescriptor >= 0) {
    fsync(folderDescriptor);
    close(folderDescriptor);
  }
  return true;
}
