// The CD-access layer over libcdio. See libcdio_cd_access.h.
//
// Every handle owns one libcdio object, opened afresh by GetCDHandle, so each
// ReadTOC of a new handle (the window's "Refresh CD") sees the disc that is in
// the drive now, not one remembered from an earlier read.
#include "platform/libcdio_cd_access.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <stdlib.h>

#include <algorithm>
#include <utility>

#include "platform/drive_names.h"

struct LibcdioCdAccess::OpenDisc {
  CdHandle handle = kNoCdHandle;
  CdIo_t* cdio = nullptr;
  TrackAddressForm form = TrackAddressForm::kLogicalBlock;

  OpenDisc(CdHandle h, CdIo_t* c) : handle(h), cdio(c) {}
  OpenDisc(const OpenDisc&) = delete;
  OpenDisc& operator=(const OpenDisc&) = delete;
  ~OpenDisc() { cdio_destroy(cdio); }
};

namespace {

void IgnoreLibcdioMessage(cdio_log_level_t, const char*) {}

// libcdio reports through one process-wide handler. Its default one prints
// on standard error and, for an error such as a folder given as a disc
// image, ends the whole process; this layer wants neither, only the failed
// call. Setting it again from another CdAccess changes nothing.
void SilenceLibcdio() {
  cdio_log_set_handler(IgnoreLibcdioMessage);
}

CdIo_t* OpenSource(const std::string& source, bool hardware) {
  return cdio_open(source.c_str(), hardware ? DRIVER_DEVICE : DRIVER_UNKNOWN);
}

// The device's own path: /dev/cdrom -> /dev/sr0. A path that cannot be
// resolved stays as it is.
std::string ResolvedPath(const char* path) {
  char* resolved = realpath(path, nullptr);
  if (resolved == nullptr) return path;
  std::string result = resolved;
  free(resolved);
  return result;
}

// The hardware drives libcdio finds, each device once.
std::vector<std::string> FindHardwareDrives() {
  std::vector<std::string> found;
  char** devices = cdio_get_devices(DRIVER_DEVICE);
  if (devices == nullptr) return found;
  for (char** device = devices; *device != nullptr; ++device) {
    std::string path = ResolvedPath(*device);
    if (std::find(found.begin(), found.end(), path) == found.end()) found.push_back(path);
  }
  cdio_free_device_list(devices);
  return found;
}

// The control bits of one track as libcdio reads them. A track whose kind
// cannot be read counts as data: only tracks known to be audio are listed.
uint8_t ControlOf(const CdIo_t* cdio, track_t track) {
  uint8_t control = 0;
  if (cdio_get_track_format(cdio, track) != TRACK_FORMAT_AUDIO) control |= kDataTrackBit;
  if (cdio_get_track_copy_permit(cdio, track) == CDIO_TRACK_FLAG_TRUE) {
    control |= kCopyPermittedBit;
  }
  if (cdio_get_track_preemphasis(cdio, track) == CDIO_TRACK_FLAG_TRUE) control |= kPreEmphasisBit;
  if (cdio_get_track_channels(cdio, track) == 4) control |= kFourChannelBit;
  return control;
}

}  // namespace

LibcdioCdAccess::LibcdioCdAccess() : findHardware_(true) {
  SilenceLibcdio();
}

LibcdioCdAccess::LibcdioCdAccess(std::vector<std::string> sources)
    : findHardware_(false), givenSources_(std::move(sources)) {
  SilenceLibcdio();
}

LibcdioCdAccess::~LibcdioCdAccess() = default;

int LibcdioCdAccess::GetCDList(DriveList& list) {
  list = DriveList{};
  list.maxDrives = kMaxDrives;
  drives_.clear();
  if (findHardware_) {
    for (std::string& path : FindHardwareDrives()) drives_.push_back({std::move(path), true});
  } else {
    for (const std::string& source : givenSources_) {
      drives_.push_back({ResolvedPath(source.c_str()), false});
    }
  }
  if (drives_.size() > kMaxDrives) drives_.resize(kMaxDrives);
  for (size_t i = 0; i < drives_.size(); ++i) {
    list.drives[i].hostAdapter = static_cast<uint8_t>(i);
  }
  list.driveCount = static_cast<uint8_t>(drives_.size());
  return list.driveCount;
}

const LibcdioCdAccess::Drive* LibcdioCdAccess::FindDrive(uint8_t hostAdapter, uint8_t target,
                                                         uint8_t lun) const {
  if (target != 0 || lun != 0 || hostAdapter >= drives_.size()) return nullptr;
  return &drives_[hostAdapter];
}

int LibcdioCdAccess::GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun,
                                  DriveRecord& record) {
  record = DriveRecord{};
  const Drive* drive = FindDrive(hostAdapter, target, lun);
  if (drive == nullptr) return 0;
  CdIo_t* cdio = OpenSource(drive->source, drive->hardware);
  if (cdio == nullptr) return 0;
  cdio_hwinfo_t info{};
  // A drive that does not answer the identification request is still a
  // drive: it is named by its device alone.
  if (!cdio_get_hwinfo(cdio, &info)) info = cdio_hwinfo_t{};
  cdio_destroy(cdio);
  record.hostAdapter = hostAdapter;
  record.target = target;
  record.lun = lun;
  FillDriveNames(record, info.psz_vendor, info.psz_model, info.psz_revision, drive->source);
  return kCdSuccess;
}

CdHandle LibcdioCdAccess::GetCDHandle(const CdHandleRequest& request) {
  if (!request.IsWellFormed()) return kNoCdHandle;
  const Drive* drive = FindDrive(request.hostAdapter, request.target, request.lun);
  if (drive == nullptr) return kNoCdHandle;
  CdIo_t* cdio = OpenSource(drive->source, drive->hardware);
  if (cdio == nullptr) return kNoCdHandle;
  // Handles are counted up and never given twice while open; 0 is skipped.
  CdHandle handle = nextHandle_;
  while (handle == kNoCdHandle || FindOpen(handle) != nullptr) ++handle;
  nextHandle_ = handle + 1;
  open_.push_back(std::make_unique<OpenDisc>(handle, cdio));
  return handle;
}

LibcdioCdAccess::OpenDisc* LibcdioCdAccess::FindOpen(CdHandle handle) {
  for (const auto& disc : open_) {
    if (disc->handle == handle) return disc.get();
  }
  return nullptr;
}

int LibcdioCdAccess::ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) {
  OpenDisc* disc = FindOpen(handle);
  if (disc == nullptr || parameter != kCdParmTrackAddressForm || value > 1) return 0;
  disc->form = value == 1 ? TrackAddressForm::kLogicalBlock : TrackAddressForm::kMinuteSecondFrame;
  return kCdSuccess;
}

int LibcdioCdAccess::ReadTOC(CdHandle handle, TableOfContents& toc) {
  toc = TableOfContents{};
  OpenDisc* disc = FindOpen(handle);
  if (disc == nullptr) return 0;
  const track_t first = cdio_get_first_track_num(disc->cdio);
  const track_t last = cdio_get_last_track_num(disc->cdio);
  // No disc, or no table libcdio could read, gives CDIO_INVALID_TRACK; a
  // disc image without tracks gives a last track below the first.
  if (first < 1 || first > kMaxTrackNumber || last < first || last > kMaxTrackNumber) return 0;

  TableOfContents read;
  StartTableOfContents(read, first, last);
  for (int track = first; track <= last; ++track) {
    const auto number = static_cast<track_t>(track);
    const lsn_t start = cdio_get_track_lsn(disc->cdio, number);
    if (start == CDIO_INVALID_LSN) return 0;
    SetTrackDescriptor(read, number, ControlOf(disc->cdio, number), start, disc->form);
  }
  const lsn_t leadOut = cdio_get_track_lsn(disc->cdio, CDIO_CDROM_LEADOUT_TRACK);
  if (leadOut == CDIO_INVALID_LSN) return 0;
  SetTrackDescriptor(read, kLeadOutTrack, 0, leadOut, disc->form);
  toc = read;
  return kCdSuccess;
}

int LibcdioCdAccess::CloseCDHandle(CdHandle handle) {
  const auto found = std::find_if(open_.begin(), open_.end(),
                                  [handle](const auto& disc) { return disc->handle == handle; });
  if (found == open_.end()) return 0;
  open_.erase(found);
  return kCdSuccess;
}

std::string LibcdioCdAccess::DriveLocation(const DriveRecord& drive) const {
  const Drive* found = FindDrive(drive.hostAdapter, drive.target, drive.lun);
  if (found == nullptr) return {};
  return found->source;
}
