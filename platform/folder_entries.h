// FolderEntries: one folder's entries as the platform's folder reading
// classifies them, and what a walk does with them. The Linux and Windows
// walks read a folder in their own way; what they then take, enter or pass
// over is decided here once, by the rules the caller passed in.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/folder_walk.h"

enum class FolderEntryKind {
  kFolder,       // a folder, entered
  kFolderLink,   // a link to a folder, entered when the rules follow links
  kRegularFile,  // a regular file or a link to one
  kOtherFile,    // a pipe, socket, device or dangling link
  kSkip,         // gone meanwhile, or nothing a user would call a file
};

struct FolderEntry {
  std::string name;
  FolderEntryKind kind;
};

// Goes through a folder's entries in their order: hands the files the rules
// take to the visitor and calls enter(path, throughLink) for each subfolder
// to walk, at the point where it is met. Ends early when the visitor asks.
void VisitFolderEntries(
    const std::string& folder, const std::vector<FolderEntry>& entries,
    const FolderWalkRules& rules, FolderWalkVisitor& visitor,
    const std::function<void(const std::string& path, bool throughLink)>& enter);
