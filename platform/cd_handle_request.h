// CdHandleRequest: which drive GetCDHandle is to open.
//
// A plain record of 12 bytes. A default request is well formed (size 12,
// version 1, read type 0) and names the drive at address 0/0/0; ForDrive
// makes the request for a drive of a DriveList. A request whose size or
// version is not the one below is refused by every CdAccess.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/drive_record.h"

struct CdHandleRequest {
  uint8_t size = 12;
  uint8_t version = 1;
  uint8_t hostAdapter = 0;
  uint8_t target = 0;
  uint8_t lun = 0;
  uint8_t readType = 0;
  uint8_t reserved[6] = {};

  static CdHandleRequest ForDrive(const DriveRecord& drive) {
    CdHandleRequest request;
    request.hostAdapter = drive.hostAdapter;
    request.target = drive.target;
    request.lun = drive.lun;
    return request;
  }

  bool IsWellFormed() const { return size == 12 && version == 1; }
};

static_assert(sizeof(CdHandleRequest) == 12);
static_assert(std::is_standard_layout_v<CdHandleRequest> &&
              std::is_trivially_copyable_v<CdHandleRequest>);
