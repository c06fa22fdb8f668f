// CopyBeside: a hidden copy of a file, made in the same folder, for the tag
// writer's two safe ways of changing a file: a replacement renamed over it,
// or a backup kept while the file itself is written.
//
// The copy is named ".NAME.<kind>XXXXXX" (a short name without NAME when
// NAME is long, since names are at most 255 bytes), a name no folder walk
// takes for audio. WriteFailureReason turns a failed call's errno into the
// reason a user can act on: a read-only file or folder, a full disk.
#pragma once

#include <string>

// Creates the copy of the regular file open as `original` (read from its
// start) beside `originalPath` (its path with links resolved), with `kind`
// ("tempyra-", "tempyra-backup-") before the random part. Returns the copy's
// descriptor, open for reading and writing, and its path in *copyPath; or -1
// with a reason in *error, leaving no file behind.
int CopyBeside(const std::string& originalPath, int original, const char* kind,
               std::string* copyPath, std::string* error);

// Copies every byte of `from` over `to` from its start and cuts `to` to the
// same length. False with errno set when a read or write failed.
bool CopyContents(int from, int to);

// "`what`: <system's text>", led by what the error means for the user where
// it is one of the common causes: "the folder is read-only" for a file that
// could not be made, "the disk is full", "the file is read-only".
enum class FileAction { kCreateInFolder, kWrite, kOpenFile };
std::string WriteFailureReason(FileAction action, const std::string& what, int number);

// Deletes a copy made by CopyBeside (nothing when it is gone already).
void RemoveCopy(const std::string& path);
