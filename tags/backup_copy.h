// BackupCopy: a copy of a file kept beside it while the file itself is
// changed in place, for files that must keep their inode (hard links).
//
// Create copies the original into ".NAME.tempyra-backup-XXXXXX" in the same
// folder and flushes the copy to the disk. The caller then writes the
// original through its own descriptor; once the write is checked, Remove
// deletes the backup. When the write fails, Restore puts the backup's bytes
// back into the original (the same inode, so every link sees them again)
// and removes the backup. A process killed in between leaves the backup
// beside the file, whole, to recover the file from; a backup whose restore
// failed is kept for the same reason (Path() names it). A BackupCopy that
// goes away without Restore or Remove removes the backup: the original was
// never touched.
#pragma once

#include <string>

class BackupCopy {
 public:
  BackupCopy() = default;
  BackupCopy(const BackupCopy&) = delete;
  BackupCopy& operator=(const BackupCopy&) = delete;
  ~BackupCopy();

  // Copies the regular file open as `original`, whose path with links
  // resolved is `originalPath`. False with a short reason, and no file left
  // behind, when the copy cannot be made or flushed.
  bool Create(const std::string& originalPath, int original, std::string* error);

  // The backup, open for reading; -1 before Create.
  int Descriptor() const { return descriptor_; }
  const std::string& Path() const { return path_; }

  // Copies the backup back over `original` and flushes it; removes the
  // backup when that worked. False when it did not: the backup stays.
  bool Restore(int original);

  // Deletes the backup.
  void Remove();

 private:
  std::string path_;
  int descriptor_ = -1;
  bool keep_ = false;
};
