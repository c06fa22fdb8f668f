// DriveList: the CD drives the CD-access layer found, in its order.
//
// A plain, fixed record of 970 bytes: room for eight drives, of which the
// first driveCount hold the address bytes of a drive found. A default
// DriveList is empty; GetCDList fills it.
#pragma once

#include <cstdint>
#include <type_traits>

#include "platform/drive_record.h"

// How many drives a DriveList has room for; drives found beyond it are left out.
inline constexpr uint8_t kMaxDrives = 8;

struct DriveList {
  uint8_t maxDrives = 0;   // capacity as the layer reports it (kMaxDrives)
  uint8_t driveCount = 0;  // drives found, at most kMaxDrives
  DriveRecord drives[kMaxDrives] = {};
};

static_assert(sizeof(DriveList) == 970);
static_assert(std::is_standard_layout_v<DriveList> && std::is_trivially_copyable_v<DriveList>);
