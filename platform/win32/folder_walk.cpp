// The folder walk over FindFirstFileExW. See folder_walk.h.
//
// As on Linux, a folder's entries are read whole and its search handle
// closed before any subfolder is entered. Symbolic links and junctions
// (reparse points) to folders are links: entered only when the rules follow
// folder links, and every folder, reached however, at most once per walk,
// known by its volume serial number and file index.
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

#include "platform/folder_entries.h"
#include "platform/folder_walk.h"
#include "platform/win32/wide_text.h"

namespace {

FolderEntryKind KindOf(const WIN32_FIND_DATAW& data) {
  const DWORD attributes = data.dwFileAttributes;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    const DWORD tag = data.dwReserved0;
    if (tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT)
      return folder ? FolderEntryKind::kFolderLink : FolderEntryKind::kRegularFile;
    // Other reparse points (cloud placeholders, deduplicated files) are
    // ordinary files and folders to the user.
  }
  if (folder) return FolderEntryKind::kFolder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return FolderEntryKind::kSkip;
  return FolderEntryKind::kRegularFile;
}

class Walker {
 public:
  Walker(const FolderWalkRules& rules, FolderWalkVisitor& visitor)
      : rules_(rules), visitor_(visitor) {}

  bool Walk(const std::string& folder) {
    std::vector<FolderEntry> entries;
    if (!ReadFolder(folder, &entries)) return false;
    VisitFolderEntries(folder, entries, rules_, visitor_,
                       [this](const std::string& path, bool) { Walk(path); });
    return true;
  }

 private:
  void ReportError(const std::string& folder, DWORD code) {
    visitor_.OnFolderError(folder, ErrnoFromWindowsError(code));
  }

  // The identity of the folder, opened as a folder (links followed); false
  // with the visitor told when it cannot be opened.
  bool FolderIdentity(const std::string& folder, std::pair<DWORD, uint64_t>* identity) {
    const HANDLE handle = CreateFileW(WidePath(folder).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      ReportError(folder, GetLastError());
      return false;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool known = GetFileInformationByHandle(handle, &information) != 0;
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (!known) {
      ReportError(folder, code);
      return false;
    }
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      ReportError(folder, ERROR_DIRECTORY);
      return false;
    }
    identity->first = information.dwVolumeSerialNumber;
    identity->second =
        (uint64_t{information.nFileIndexHigh} << 32) | uint64_t{information.nFileIndexLow};
    return true;
  }

  bool ReadFolder(const std::string& folder, std::vector<FolderEntry>* entries) {
    std::pair<DWORD, uint64_t> identity;
    if (!FolderIdentity(folder, &identity)) return false;
    if (!entered_.insert(identity).second) return true;
    WIN32_FIND_DATAW data;
    const std::wstring pattern = WidePath(JoinPath(folder, "*"));
    const HANDLE search =
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD code = GetLastError();
      if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return true;  // empty
      ReportError(folder, code);
      return false;
    }
    for (;;) {
      const std::wstring_view name = data.cFileName;
      if (name != L"." && name != L"..") entries->push_back({Utf8FromWide(name), KindOf(data)});
      if (!FindNextFileW(search, &data)) {
        const DWORD code = GetLastError();
        if (code != ERROR_NO_MORE_FILES) ReportError(folder, code);
        break;
      }
    }
    FindClose(search);
    return true;
  }

  const FolderWalkRules& rules_;
  FolderWalkVisitor& visitor_;
  std::set<std::pair<DWORD, uint64_t>> entered_;
};

}  // namespace

bool WalkFolder(const std::string& folder, const FolderWalkRules& rules,
                FolderWalkVisitor& visitor) {
  return Walker(rules, visitor).Walk(folder);
}
