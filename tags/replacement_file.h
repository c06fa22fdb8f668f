// ReplacementFile: a copy of a file, made beside it, to be changed and then
// put in the original's place in one step.
//
// Create copies the original into a new temporary file in the same folder
// (".NAME.tempyra-XXXXXX", a name no folder walk takes for audio). The
// caller changes the copy through Descriptor(). Commit gives the copy the
// original's permission bits, owner and group, flushes it to the disk and
// renames it over the original: whoever opens the name sees either the old
// file or the new one, whole. A process killed before that point leaves the
// original untouched (and at worst the temporary file beside it); a
// ReplacementFile that goes away without Commit removes its copy.
//
// Renaming gives the file a new inode: other hard links would keep the old
// contents (the tag writer uses BackupCopy for files with several links),
// and extended attributes are not copied. The modification time is
// that of the change, as for any write.
//
// On Windows the copy keeps the original's file attributes (hidden,
// archive) in place of permission bits, owner and group, and is moved over
// the original with MoveFileExW (replace, write through); a file other
// programs hold open without delete sharing cannot be replaced, and the
// write then fails with the original untouched.
#pragma once

#include <cstdint>
#include <string>

class ReplacementFile {
 public:
  ReplacementFile() = default;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  ~ReplacementFile();

  // Copies the regular file open as `original` (read from its start), whose
  // path, with links resolved, is `originalPath`. On failure returns false
  // with a short reason in *error, and leaves no file behind.
  bool Create(const std::string& originalPath, int original, std::string* error);

  // The copy, open for reading and writing; -1 before Create.
  int Descriptor() const { return descriptor_; }
  const std::string& Path() const { return path_; }

  // Puts the copy in the original's place. On failure returns false with a
  // short reason, removes the copy and leaves the original as it was.
  bool Commit(std::string* error);

 private:
  void Discard();

  std::string originalPath_;
  std::string path_;
  int descriptor_ = -1;
  uint32_t mode_ = 0;  // permission bits; on Windows the file attributes
  uint32_t owner_ = 0;
  uint32_t group_ = 0;
};
