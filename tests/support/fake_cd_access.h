// FakeCdAccess: a CdAccess with drives and discs made up by a test, for the
// tests of the window's drive box and disc listing.
//
// It keeps the contract of CdAccess as the libcdio layer does (the same
// addresses, results and table layout; the platform tests run both against
// one set of checks), and records what the code under test asked of it, so
// a test can check that every handle was closed or that nothing was read.
//
// Drives are added in the order GetCDList will list them; AddDrive returns
// the drive's number, which is also its hostAdapter as long as no drive
// before it was unplugged before the listing. A drive can have a disc, no
// disc (it opens, its table cannot be read), a failing query, a failing
// open, or be unplugged (every call on it fails from then on, also on its
// open handles, and the next GetCDList leaves it out).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/cd_access.h"

// A disc: the number of its first track and the control bits of each track
// from there on. Track n starts at block (n - firstTrack) * kFakeTrackBlocks.
struct FakeDisc {
  static constexpr int32_t kFakeTrackBlocks = 300;  // 4 s

  uint8_t firstTrack = 1;
  std::vector<uint8_t> controls;

  // `count` audio tracks from track 1.
  static FakeDisc Audio(int count);
  // Tracks 1 and 2 audio, track 3 data.
  static FakeDisc ThirdTrackData();
  // Tracks 1 and 2, both data.
  static FakeDisc DataOnly();
};

class FakeCdAccess final : public CdAccess {
 public:
  // Two drives whose queries succeed: drive 0 "ACME CDR-1 (/dev/sr0)" holds
  // FakeDisc::ThirdTrackData(), drive 1 "ACME CDR-2 (/dev/sr1)" holds
  // FakeDisc::DataOnly().
  static std::unique_ptr<FakeCdAccess> TwoDrives();

  // A drive with display name `name` at device `device` (e.g. "/dev/sr0"),
  // without a disc. Returns its number.
  int AddDrive(std::string name, std::string device);
  void InsertDisc(int drive, FakeDisc disc);
  void EjectDisc(int drive);
  void FailQuery(int drive);
  void FailOpen(int drive);
  void Unplug(int drive);

  // What the code under test did.
  int HandlesOpened() const { return handlesOpened_; }
  int OpenHandleCount() const { return static_cast<int>(open_.size()); }
  int TocReads() const { return tocReads_; }
  // Parameter and value of every ModifyCDParms call, in order.
  const std::vector<std::pair<uint32_t, uint32_t>>& ParmChanges() const { return parmChanges_; }

  int GetCDList(DriveList& list) override;
  int GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun, DriveRecord& record) override;
  CdHandle GetCDHandle(const CdHandleRequest& request) override;
  int ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) override;
  int ReadTOC(CdHandle handle, TableOfContents& toc) override;
  int CloseCDHandle(CdHandle handle) override;
  std::string DriveLocation(const DriveRecord& drive) const override;

 private:
  struct Drive {
    std::string name;
    std::string device;
    bool hasDisc = false;
    FakeDisc disc;
    bool queryFails = false;
    bool openFails = false;
    bool unplugged = false;
  };
  struct OpenHandle {
    CdHandle handle;
    int drive;
    TrackAddressForm form;
  };

  // The drive at an address of the last listing, or -1.
  int DriveAt(uint8_t hostAdapter, uint8_t target, uint8_t lun) const;
  OpenHandle* FindOpen(CdHandle handle);

  std::vector<Drive> drives_;
  std::vector<int> listed_;  // drive numbers, in the order of the last GetCDList
  std::vector<OpenHandle> open_;
  CdHandle nextHandle_ = 1;
  int handlesOpened_ = 0;
  int tocReads_ = 0;
  std::vector<std::pair<uint32_t, uint32_t>> parmChanges_;
};
