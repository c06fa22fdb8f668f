// The CD-access layer over the Windows storage and CD-ROM requests. See
// win32_cd_access.h.
#include "platform/win32/win32_cd_access.h"

#include <windows.h>
// The request codes and records of the CD-ROM and storage drivers
// (ntddcdrm.h brings the storage ones with it; winioctl.h would clash).
#include <devioctl.h>
// After devioctl.h, which defines the request code macros.
#include <ntddcdrm.h>

#include <algorithm>
#include <cstdio>

#include "platform/cdrom_toc.h"
#include "platform/drive_names.h"
#include "platform/win32/unique_handle.h"

struct Win32CdAccess::OpenDrive {
  CdHandle handle = kNoCdHandle;
  UniqueHandle device;
  TrackAddressForm form = TrackAddressForm::kLogicalBlock;
};

namespace {

std::wstring DevicePath(char letter) {
  return std::wstring(L"\\\\.\\") + static_cast<wchar_t>(letter) + L":";
}

HANDLE OpenDevice(char letter, DWORD access) {
  return CreateFileW(DevicePath(letter).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

// A zero-terminated string at `offset` of the descriptor's buffer; empty
// for offset 0 (the drive gave none) or an offset outside what was returned.
std::string StringAt(const std::vector<uint8_t>& buffer, DWORD returned, DWORD offset) {
  if (offset == 0 || offset >= returned) return {};
  std::string text;
  for (DWORD i = offset; i < returned && buffer[i] != 0; ++i) text += static_cast<char>(buffer[i]);
  return text;
}

}  // namespace

Win32CdAccess::Win32CdAccess() = default;
Win32CdAccess::~Win32CdAccess() = default;

int Win32CdAccess::GetCDList(DriveList& list) {
  list = DriveList{};
  list.maxDrives = kMaxDrives;
  letters_.clear();
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26 && letters_.size() < kMaxDrives; ++i) {
    if ((mask & (DWORD{1} << i)) == 0) continue;
    const char letter = static_cast<char>('A' + i);
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    if (GetDriveTypeW(root) == DRIVE_CDROM) letters_.push_back(letter);
  }
  for (size_t i = 0; i < letters_.size(); ++i) list.drives[i].hostAdapter = static_cast<uint8_t>(i);
  list.driveCount = static_cast<uint8_t>(letters_.size());
  return list.driveCount;
}

const char* Win32CdAccess::FindDrive(uint8_t hostAdapter, uint8_t target, uint8_t lun) const {
  if (target != 0 || lun != 0 || hostAdapter >= letters_.size()) return nullptr;
  return &letters_[hostAdapter];
}

int Win32CdAccess::GetDriveInfo(uint8_t hostAdapter, uint8_t target, uint8_t lun,
                                DriveRecord& record) {
  record = DriveRecord{};
  const char* letter = FindDrive(hostAdapter, target, lun);
  if (letter == nullptr) return 0;
  // No access asked for: identifying a drive needs none, and works with
  // no disc in it.
  const UniqueHandle device(OpenDevice(*letter, 0));
  if (!device.Valid()) return 0;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  std::vector<uint8_t> buffer(1024);
  DWORD returned = 0;
  std::string vendor, model, revision;
  if (DeviceIoControl(device.Get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                      buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr) &&
      returned >= sizeof(STORAGE_DEVICE_DESCRIPTOR)) {
    STORAGE_DEVICE_DESCRIPTOR descriptor;
    std::copy_n(buffer.data(), sizeof descriptor, reinterpret_cast<uint8_t*>(&descriptor));
    vendor = StringAt(buffer, returned, descriptor.VendorIdOffset);
    model = StringAt(buffer, returned, descriptor.ProductIdOffset);
    revision = StringAt(buffer, returned, descriptor.ProductRevisionOffset);
  }
  // A drive that does not answer is still a drive: named by its letter.
  record.hostAdapter = hostAdapter;
  FillDriveNames(record, vendor, model, revision, std::string(1, *letter) + ":");
  return kCdSuccess;
}

CdHandle Win32CdAccess::GetCDHandle(const CdHandleRequest& request) {
  if (!request.IsWellFormed()) return kNoCdHandle;
  const char* letter = FindDrive(request.hostAdapter, request.target, request.lun);
  if (letter == nullptr) return kNoCdHandle;
  auto drive = std::make_unique<OpenDrive>();
  drive->device.Reset(OpenDevice(*letter, GENERIC_READ));
  if (!drive->device.Valid()) return kNoCdHandle;
  // Handles are counted up and never given twice while open; 0 is skipped.
  CdHandle handle = nextHandle_;
  while (handle == kNoCdHandle || FindOpen(handle) != nullptr) ++handle;
  nextHandle_ = handle + 1;
  drive->handle = handle;
  open_.push_back(std::move(drive));
  return handle;
}

Win32CdAccess::OpenDrive* Win32CdAccess::FindOpen(CdHandle handle) {
  for (const auto& drive : open_) {
    if (drive->handle == handle) return drive.get();
  }
  return nullptr;
}

int Win32CdAccess::ModifyCDParms(CdHandle handle, uint32_t parameter, uint32_t value) {
  OpenDrive* drive = FindOpen(handle);
  if (drive == nullptr || parameter != kCdParmTrackAddressForm || value > 1) return 0;
  drive->form = value == 1 ? TrackAddressForm::kLogicalBlock : TrackAddressForm::kMinuteSecondFrame;
  return kCdSuccess;
}

int Win32CdAccess::ReadTOC(CdHandle handle, TableOfContents& toc) {
  toc = TableOfContents{};
  OpenDrive* drive = FindOpen(handle);
  if (drive == nullptr) return 0;
  CDROM_TOC read{};
  DWORD returned = 0;
  // Fails without a disc (ERROR_NOT_READY) or with an unreadable one.
  if (!DeviceIoControl(drive->device.Get(), IOCTL_CDROM_READ_TOC, nullptr, 0, &read, sizeof read,
                       &returned, nullptr))
    return 0;
  return TableFromCdromToc(reinterpret_cast<const uint8_t*>(&read), returned, drive->form, toc)
             ? kCdSuccess
             : 0;
}

int Win32CdAccess::CloseCDHandle(CdHandle handle) {
  const auto found = std::find_if(open_.begin(), open_.end(),
                                  [handle](const auto& drive) { return drive->handle == handle; });
  if (found == open_.end()) return 0;
  open_.erase(found);
  return kCdSuccess;
}

std::string Win32CdAccess::DriveLocation(const DriveRecord& drive) const {
  const char* letter = FindDrive(drive.hostAdapter, drive.target, drive.lun);
  if (letter == nullptr) return {};
  return std::string{*letter, ':'};
}
