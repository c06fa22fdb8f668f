// Made-up CD drives for the window's tests. See fake_cd_access.h.
#include "tests/support/fake_cd_access.h"

#include <algorithm>
#include <cstring>
#include <utility>

FakeDisc FakeDisc::Audio(int count) {
  FakeDisc disc;
  disc.controls.assign(static_cast<size_t>(count), 0);
  return disc;
}

FakeDisc FakeDisc::ThirdTrackData() {
  FakeDisc disc;
  disc.controls = {0, 0, kDataTrackBit};
  return disc;
}

FakeDisc FakeDisc::DataOnly() {
  FakeDisc disc;
  disc.controls = {kDataTrackBit, kDataTrackBit};
  return disc;
}

std::unique_ptr<FakeCdAccess> FakeCdAccess::TwoDrives() {
  auto fake = std::make_unique<FakeCdAccess>();
  fake->InsertDisc(fake->AddDrive("ACME CDR-1 (/dev/sr0)", "/dev/sr0"), FakeDisc::ThirdTrackData());
  fake->InsertDisc(fake->AddDrive("ACME CDR-2 (/dev/sr1)", "/dev/sr1"), FakeDisc::DataOnly());
  return fake;
}

int FakeCdAccess::AddDrive(std::string name, std::string device) {
  Drive drive;
  drive.name = std::move(name);
  drive.device = std::move(device);
  drives_.push_back(std::move(drive));
  return static_cast<int>(drives_.size()) - 1;
}

void FakeCdAccess::InsertDisc(int drive, FakeDisc disc) {
  drives_.at(static_cast<size_t>(drive)).disc = std::move(disc);
  drives_.at(static_cast<size_t>(drive)).hasDisc = true;
}

void FakeCdAccess::EjectDisc(int drive) {
  drives_.at(static_cast<size_t>(drive)).hasDisc = false;
}
void FakeCdAccess::FailQuery(int drive) {
  drives_.at(static_cast<size_t>(drive)).queryFails = true;
}
void FakeCdAccess::FailOpen(int drive) {
  drives_.at(static_cast<size_t>(drive)).openFails = true;
}
void FakeCdAccess::Unplug(int drive) {
  drives_.at(static_cast<size_t>(drive)).unplugged = true;
}

int FakeCdAccess::GetCDList(DriveList& list) {
  list = DriveList{};
  list.maxDrives = kMaxDrives;
  listed_.clear();
  for (size_t i = 0; i < drives_.size() && listed_.size() < kMaxDrives; ++i) {
    if (drives_[i].unplugged) continue;
    list.drives[listed_.size()].hostAdapter = static_cast<uint8_t>(listed_.size());
    listed_.push_back(static_cast<int>(i));
  }
  list.driveCount = static_cast<uint8_t>(listed_.size());
  return list.driveCount;
}

int FakeCdAccess::DriveAt(uint8_t hostAdapter, uint8_t target, uint8_t lun) const {
  if (target != 0 || lun != 0 || hostAdapter >= listed_.size()) return -1;
  const int drive = listed_[hostAdapter];
  return drives_[static_cast<size_t>(drive)].unplugged ? -1 : drive;
}

int FakeCdAccess::GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun,
                               DriveRecord& record) {
  record = DriveRecord{};
  const int found = DriveAt(hostAdapter, target, lun);
  if (found < 0 || drives_[static_cast<size_t>(found)].queryFails) return 0;
  const Drive& drive = drives_[static_cast<size_t>(found)];
  record.hostAdapter = hostAdapter;
  std::strncpy(record.id, drive.name.c_str(), kDriveNameLength);
  std::strncpy(record.vendor, "ACME", sizeof record.vendor - 1);
  return kCdSuccess;
}

CdHandle FakeCdAccess::GetCDHandle(const CdHandleRequest& request) {
  if (!request.IsWellFormed()) return kNoCdHandle;
  const int found = DriveAt(request.hostAdapter, request.target, request.lun);
  if (found < 0 || drives_[static_cast<size_t>(found)].openFails) return kNoCdHandle;
  const CdHandle handle = nextHandle_++;
  open_.push_back({handle, found, TrackAddressForm::kLogicalBlock});
  ++handlesOpened_;
  return handle;
}

FakeCdAccess::OpenHandle* FakeCdAccess::FindOpen(CdHandle handle) {
  for (OpenHandle& open : open_) {
    if (open.handle == handle) return &open;
  }
  return nullptr;
}

int FakeCdAccess::ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) {
  parmChanges_.emplace_back(parameter, value);
  OpenHandle* open = FindOpen(handle);
  if (open == nullptr || parameter != kCdParmTrackAddressForm || value > 1) return 0;
  open->form = value == 1 ? TrackAddressForm::kLogicalBlock : TrackAddressForm::kMinuteSecondFrame;
  return kCdSuccess;
}

int FakeCdAccess::ReadTOC(CdHandle handle, TableOfContents& toc) {
  toc = TableOfContents{};
  ++tocReads_;
  const OpenHandle* open = FindOpen(handle);
  if (open == nullptr) return 0;
  const Drive& drive = drives_[static_cast<size_t>(open->drive)];
  if (drive.unplugged || !drive.hasDisc || drive.disc.controls.empty()) return 0;
  const FakeDisc& disc = drive.disc;
  const int last = disc.firstTrack + static_cast<int>(disc.controls.size()) - 1;
  if (disc.firstTrack < 1 || last > kMaxTrackNumber) return 0;
  StartTableOfContents(toc, disc.firstTrack, static_cast<uint8_t>(last));
  for (size_t i = 0; i < disc.controls.size(); ++i) {
    const auto block = static_cast<int32_t>(i) * FakeDisc::kFakeTrackBlocks;
    SetTrackDescriptor(toc, static_cast<uint8_t>(disc.firstTrack + i), disc.controls[i], block,
                       open->form);
  }
  const auto leadOut = static_cast<int32_t>(disc.controls.size()) * FakeDisc::kFakeTrackBlocks;
  SetTrackDescriptor(toc, kLeadOutTrack, 0, leadOut, open->form);
  return kCdSuccess;
}

int FakeCdAccess::CloseCDHandle(CdHandle handle) {
  const auto found = std::find_if(open_.begin(), open_.end(),
                                  [handle](const OpenHandle& o) { return o.handle == handle; });
  if (found == open_.end()) return 0;
  open_.erase(found);
  return kCdSuccess;
}

std::string FakeCdAccess::DriveLocation(const DriveRecord& drive) const {
  // As the libcdio layer: the device of the listed drive, plugged in or not.
  if (drive.target != 0 || drive.lun != 0 || drive.hostAdapter >= listed_.size()) return {};
  return drives_[static_cast<size_t>(listed_[drive.hostAdapter])].device;
}
