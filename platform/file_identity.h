// FileIdentity: which file a path or an open stream is, independent of
// its name, so that "is the output the input itself?" can be answered
// before anything is written. On Linux the device and inode number; on
// Windows the volume serial number and the file index (Windows' stat gives
// the inode 0 for every file, so stat cannot tell files apart there).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The file at `path` (links followed); nothing when it does not exist or
// cannot be asked.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

// The file an open stream writes to or reads from; nothing for a terminal,
// a pipe or a stream that cannot be asked.
std::optional<FileIdentity> IdentityOfStream(std::FILE* stream);
