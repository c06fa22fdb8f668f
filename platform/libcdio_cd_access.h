// LibcdioCdAccess: the CdAccess of the machine's CD drives, over libcdio.
//
// Which drives: made without arguments, the CD and DVD drives that libcdio
// finds (on Linux /dev/sr0, /dev/cdrom and the like; links to one device are
// listed once, under the device's own path). Made with a list of sources,
// exactly those, in that order: device paths or disc images, which libcdio
// opens like drives (a BIN/CUE pair given by its .cue or its .bin, whose two
// files must share their name; a cdrdao .toc; a Nero .nrg). Paths are used
// with links resolved, as they are at the time of GetCDList.
//
// Addresses. A drive's hostAdapter is its index in the list that the last
// GetCDList found (0 for the first drive); target and lun are always 0. The
// layer keeps that list, so an address means the same drive until the next
// GetCDList. A drive is opened only by a call that needs it (GetDriveInfo,
// GetCDHandle), never by listing, so a drive that went away since shows as
// a failing call and nothing else.
//
// libcdio's own messages are switched off for the whole process (it would
// print them on standard error, and end the process after some errors);
// failures show only as the results CdAccess describes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/cd_access.h"

class LibcdioCdAccess final : public CdAccess {
 public:
  LibcdioCdAccess();
  explicit LibcdioCdAccess(std::vector<std::string> sources);
  ~LibcdioCdAccess() override;

  int GetCDList(DriveList& list) override;
  int GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun, DriveRecord& record) override;
  CdHandle GetCDHandle(const CdHandleRequest& request) override;
  int ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) override;
  int ReadTOC(CdHandle handle, TableOfContents& toc) override;
  int CloseCDHandle(CdHandle handle) override;
  std::string DriveLocation(const DriveRecord& drive) const override;

 private:
  struct Drive {
    std::string source;  // device path or image path
    bool hardware;       // opened with the system's drive driver, else by source type
  };
  struct OpenDisc;  // a drive opened by GetCDHandle; holds the libcdio object

  const Drive* FindDrive(uint8_t hostAdapter, uint8_t target, uint8_t lun) const;
  OpenDisc* FindOpen(CdHandle handle);

  const bool findHardware_;
  const std::vector<std::string> givenSources_;
  std::vector<Drive> drives_;  // as the last GetCDList found them
  std::vector<std::unique_ptr<OpenDisc>> open_;
  CdHandle nextHandle_ = 1;
};
