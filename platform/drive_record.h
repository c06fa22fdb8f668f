// DriveRecord: one CD drive as the CD-access layer describes it.
//
// A plain, byte-for-byte fixed record (121 bytes, no padding) so that it can
// be cleared, copied and compared as a whole. The three address bytes
// (hostAdapter, target, lun) name the drive in every later call of the
// layer; what they mean is the layer's own (see CdAccess). The strings are
// zero-terminated and never fill their arrays: `id` holds a display name of
// at most kDriveNameLength characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Longest display name a DriveRecord carries, without its terminating zero.
inline constexpr std::size_t kDriveNameLength = 64;

struct DriveRecord {
  uint8_t hostAdapter = 0;
  uint8_t target = 0;
  uint8_t lun = 0;
  uint8_t reserved = 0;
  // The name the drive box shows: vendor, model and device, e.g.
  // "HL-DT-ST DVDRAM GH24NSD1 (/dev/sr0)".
  char id[kDriveNameLength + 1] = {};
  // The drive's own answers to an identification request, blanks trimmed.
  char vendor[9] = {};
  char productId[17] = {};
  char revision[5] = {};
  char vendorSpecific[21] = {};
};

static_assert(sizeof(DriveRecord) == 121);
static_assert(std::is_standard_layout_v<DriveRecord> && std::is_trivially_copyable_v<DriveRecord>);
