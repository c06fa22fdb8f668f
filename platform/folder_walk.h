// FolderWalk: lists the files of a folder and of all its subfolders.
//
// The walk is depth first: the entries of a folder come in the order the
// file system returns them, and a subfolder is walked at the point where it
// is met, before the next entry of its parent. Hidden files and folders are
// walked like any other. The window and the command line both list folders
// through it; each passes in its own rules (which names it takes, whether
// links to folders are followed) and sorts the result its own way.
//
// Loops: every folder is entered at most once per walk (known by its device
// and inode; on Windows by its volume serial number and file index, and
// junctions count as links), so a symbolic link to one of its own parent
// folders, or two links to one folder, can make the walk neither endless
// nor list a folder twice. A folder that cannot be opened or read (no permission, removed
// meanwhile) is reported to the visitor and skipped; the walk goes on.
//
// Paths are built with JoinPath (platform/path.h): the folder's path, a
// separator unless that path already ends in one, and the entry's name: the
// root "/" gives "/a.mp3".
#pragma once

#include <string>
#include <string_view>

#include "platform/path.h"

struct FolderWalkRules {
  // Which file names to take; null takes every file.
  bool (*takeName)(std::string_view name) = nullptr;
  // Walk into symbolic links that point to folders (a link loop is still
  // entered only once). Off: such links are passed over.
  bool followFolderLinks = false;
  // Take regular files only (symbolic links to them included). Off: every
  // entry that is not a folder is a file (named pipes, sockets, devices and
  // dangling links too).
  bool regularFilesOnly = false;
};

// Receives what the walk finds, in walk order.
class FolderWalkVisitor {
 public:
  virtual ~FolderWalkVisitor() = default;
  // A file whose name the rules take.
  virtual void OnFile(const std::string& path) = 0;
  // A folder that could not be opened or read to its end; errorNumber is
  // the errno value.
  virtual void OnFolderError(const std::string& path, int errorNumber) = 0;
  // Asked before each entry: true ends the walk there (a walk on a worker
  // that its owner no longer wants).
  virtual bool StopRequested() const { return false; }
};

// Walks `folder` and everything below it. Returns false when `folder`
// itself could not be opened (OnFolderError has been called for it).
bool WalkFolder(const std::string& folder, const FolderWalkRules& rules,
                FolderWalkVisitor& visitor);
