// CdAccess: the CD drives of the machine and the tables of contents of the
// discs in them, for the window's drive box and its list of a disc's tracks.
//
// Lifecycle. One CdAccess serves the window for its whole life, on the
// window's thread only. GetCDList finds the drives and gives each three
// address bytes; the addresses stay valid until the next GetCDList.
// GetDriveInfo names a listed drive. To read a disc: GetCDHandle with a
// listed drive's address opens the drive and returns a handle; ModifyCDParms
// may then change how the handle reads; ReadTOC reads the disc's table of
// contents (as often as wanted); CloseCDHandle closes the handle, once.
// Handles still open when the CdAccess is destroyed are closed by it; a
// handle that was closed, or never given, is refused by every call.
//
// Failures. No drive, no disc, a drive that cannot be opened, a drive that
// went away after it was listed, an address or handle that is not known:
// each call fails with 0 (an empty list for GetCDList), writes nothing to
// any stream and throws nothing. A record a call fails to fill is left
// cleared, never half filled.
//
// The real implementation, over libcdio, is LibcdioCdAccess; tests use a
// fake. No header of this interface includes a libcdio header.
#pragma once

#include <cstdint>
#include <string>

#include "platform/cd_handle_request.h"
#include "platform/drive_list.h"
#include "platform/drive_record.h"
#include "platform/table_of_contents.h"

// An open drive; 0 is never a handle.
using CdHandle = uint32_t;
inline constexpr CdHandle kNoCdHandle = 0;

// The result of a call that succeeded.
inline constexpr int kCdSuccess = 1;

// ModifyCDParms parameter: the form of the track addresses that ReadTOC
// writes, value 1 (kLogicalBlock, the form a new handle starts with) or 0
// (kMinuteSecondFrame).
inline constexpr uint32_t kCdParmTrackAddressForm = 36;

class CdAccess {
 public:
  CdAccess() = default;
  CdAccess(const CdAccess&) = delete;
  CdAccess& operator=(const CdAccess&) = delete;
  virtual ~CdAccess() = default;

  // Clears `list`, then lists the drives found (at most kMaxDrives), filling
  // only their address bytes. Returns list.driveCount.
  virtual int GetCDList(DriveList& list) = 0;

  // Fills `record` (address bytes, display name `id`, vendor, productId,
  // revision) for the listed drive at that address. Returns kCdSuccess, or
  // 0 with `record` cleared.
  virtual int GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun,
                           DriveRecord& record) = 0;

  // Opens the listed drive the request names. Returns its handle, or
  // kNoCdHandle when the request is not well formed, the address is not
  // known, or the drive cannot be opened. A drive without a disc opens; its
  // ReadTOC fails.
  virtual CdHandle GetCDHandle(const CdHandleRequest& request) = 0;

  // Sets one reading parameter of an open handle. Known: kCdParmTrackAddressForm.
  // Returns kCdSuccess, or 0 for an unknown handle, parameter or value.
  virtual int ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) = 0;

  // Reads the table of contents of the disc in the handle's drive into
  // `toc`. Returns kCdSuccess, with 1 <= firstTrack <= lastTrack <= 99 and
  // every track's descriptor filled; or 0 with `toc` cleared (no disc, an
  // unreadable disc, an unknown handle).
  virtual int ReadTOC(CdHandle handle, TableOfContents& toc) = 0;

  // Closes a handle. Returns kCdSuccess, or 0 for an unknown handle.
  virtual int CloseCDHandle(CdHandle handle) = 0;

  // Where this system shows the listed drive at the record's address: its
  // device ("/dev/sr0", or a disc image's file) where drives are devices,
  // its letter and a colon ("D:") where drives have letters. Empty for an
  // unknown address. The window names a disc's tracks from it
  // (cd_track_path.h).
  virtual std::string DriveLocation(const DriveRecord& drive) const = 0;
};
