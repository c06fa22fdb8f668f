// Win32CdAccess: the CdAccess of the machine's CD drives on Windows.
//
// Which drives: the drive letters whose type is DRIVE_CDROM, in letter
// order, at most kMaxDrives. A drive's hostAdapter is its index in the list
// the last GetCDList found; target and lun are always 0. Drives are opened
// only by the calls that need them: GetDriveInfo asks the drive who it is
// (IOCTL_STORAGE_QUERY_PROPERTY: vendor, model, revision), GetCDHandle
// opens \\.\X: and ReadTOC reads the disc's table (IOCTL_CDROM_READ_TOC).
// A drive's location is its letter: "D:".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cd_access.h"

class Win32CdAccess final : public CdAccess {
 public:
  Win32CdAccess();
  ~Win32CdAccess() override;

  int GetCDList(DriveList& list) override;
  int GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun, DriveRecord& record) override;
  CdHandle GetCDHandle(const CdHandleRequest& request) override;
  int ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) override;
  int ReadTOC(CdHandle handle, TableOfContents& toc) override;
  int CloseCDHandle(CdHandle handle) override;
  std::string DriveLocation(const DriveRecord& drive) const override;

 private:
  struct OpenDrive;  // a drive opened by GetCDHandle

  const char* FindDrive(uint8_t hostAdapter, uint8_t target, uint8_t lun) const;
  OpenDrive* FindOpen(CdHandle handle);

  std::vector<char> letters_;  // as the last GetCDList found them
  std::vector<std::unique_ptr<OpenDrive>> open_;
  CdHandle nextHandle_ = 1;
};
