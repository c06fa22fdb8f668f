// A backup beside a file changed in place. See backup_copy.h.
#include "tags/backup_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tags/audio_comparison.h"
#include "tags/copy_beside.h"

BackupCopy::~BackupCopy() {
  if (descriptor_ >= 0) close(descriptor_);
  if (!keep_ && !path_.empty()) unlink(path_.c_str());
}

bool BackupCopy::Create(const std::string& originalPath, int original, std::string* error) {
  Remove();
  descriptor_ = CopyBeside(originalPath, original, "tempyra-backup-", &path_, error);
  if (descriptor_ < 0) return false;
  if (fsync(descriptor_) != 0) {
    *error =
        WriteFailureReason(FileAction::kWrite, "cannot write the backup copy to the disk", errno);
    Remove();
    return false;
  }
  return true;
}

bool BackupCopy::Restore(int original) {
  if (descriptor_ < 0) return false;
  struct stat status {};
  const bool restored = CopyContents(descriptor_, original) && fsync(original) == 0 &&
                        fstat(descriptor_, &status) == 0 &&
                        SameTail(descriptor_, original, static_cast<uint64_t>(status.st_size)) &&
                        lseek(original, 0, SEEK_END) == status.st_size;
  if (!restored) {
    keep_ = true;
    return false;
  }
  Remove();
  return true;
}

void BackupCopy::Remove() {
  if (descriptor_ >= 0) close(descriptor_);
  if (!path_.empty()) unlink(path_.c_str());
  descriptor_ = -1;
  path_.clear();
  keep_ = false;
}
