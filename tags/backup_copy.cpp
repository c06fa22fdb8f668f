// A backup beside a file changed in place. See backup_copy.h.
#include "tags/backup_copy.h"

#include <cerrno>
#include <optional>

#include "platform/file_descriptor.h"
#include "tags/audio_comparison.h"
#include "tags/copy_beside.h"

BackupCopy::~BackupCopy() {
  CloseDescriptor(descriptor_);
  if (!keep_ && !path_.empty()) RemoveCopy(path_);
}

bool BackupCopy::Create(const std::string& originalPath, int original, std::string* error) {
  Remove();
  descriptor_ = CopyBeside(originalPath, original, "tempyra-backup-", &path_, error);
  if (descriptor_ < 0) return false;
  if (!FlushToDisk(descriptor_)) {
    *error =
        WriteFailureReason(FileAction::kWrite, "cannot write the backup copy to the disk", errno);
    Remove();
    return false;
  }
  return true;
}

bool BackupCopy::Restore(int original) {
  if (descriptor_ < 0) return false;
  bool restored = CopyContents(descriptor_, original) && FlushToDisk(original);
  if (restored) {
    const std::optional<DescriptorStatus> backup = StatusOfDescriptor(descriptor_);
    const std::optional<DescriptorStatus> file = StatusOfDescriptor(original);
    restored = backup && file && backup->size == file->size &&
               SameTail(descriptor_, original, backup->size);
  }
  if (!restored) {
    keep_ = true;
    return false;
  }
  Remove();
  return true;
}

void BackupCopy::Remove() {
  CloseDescriptor(descriptor_);
  if (!path_.empty()) RemoveCopy(path_);
  descriptor_ = -1;
  path_.clear();
  keep_ = false;
}
