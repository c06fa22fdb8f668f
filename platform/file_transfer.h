// Renaming and copying a user's audio files without ever losing one.
//
// MoveFileNoReplace gives a file a new name and fails when that name is
// taken: the other file stays untouched. A plain rename() would silently
// destroy it. The file system is asked to refuse an existing name itself
// (renameat2 with RENAME_NOREPLACE); where it cannot, a hard link to the new
// name (which also fails on an existing name) followed by removing the old
// name; where there are no hard links either (FAT file systems on USB
// sticks), the new name is first claimed by creating it exclusively, then
// the file is renamed over that claim.
//
// CopyFileReplacing copies a file to a new name and replaces a file that
// has that name, but only once the copy is whole: the bytes go into a
// temporary file beside the target, are flushed to the disk, take the
// source's permissions and modification time, and only then is the
// temporary file renamed over the target. A copy that fails (the source
// vanished, the disk is full, the folder is read-only) leaves neither a
// partial file nor a damaged target.
//
// On Windows (platform/win32/file_transfer.cpp) MoveFileExW without
// MOVEFILE_REPLACE_EXISTING refuses a taken name on every file system, and
// the copy is moved over the target with MOVEFILE_REPLACE_EXISTING once it
// is flushed; it keeps the source's modification time and its read-only,
// hidden and archive attributes.
//
// Both return false on failure and put a short reason into *error when
// error is not null.
#pragma once

#include <string>

bool MoveFileNoReplace(const std::string& from, const std::string& to,
                       std::string* error = nullptr);

bool CopyFileReplacing(const std::string& from, const std::string& to,
                       std::string* error = nullptr);

// The fallbacks of MoveFileNoReplace on Linux, one by one, for tests on
// file systems that have renameat2 and hard links.
#if !defined(_WIN32)
namespace file_transfer_detail {
bool MoveByLink(const std::string& from, const std::string& to, int* errorNumber);
bool MoveByClaim(const std::string& from, const std::string& to, int* errorNumber);
}  // namespace file_transfer_detail
#endif
