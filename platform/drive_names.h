// FillDriveNames: the names of a DriveRecord, from what a drive says of
// itself and the device it was found at.
//
// vendor, productId and revision take the drive's answers with blanks
// trimmed (drives pad them with spaces), cut to their fields' room. The
// display name `id` is "VENDOR MODEL (DEVICE)", e.g.
// "HL-DT-ST DVDRAM GH24NSD1 (/dev/sr0)", or the device alone when the drive
// gave neither vendor nor model; at most kDriveNameLength bytes, cut where
// no UTF-8 character is split. Control characters (and in the drive's
// answers any byte outside printable ASCII) become '?', so the name is
// always safe to show.
#pragma once

#include <string_view>

#include "platform/drive_record.h"

void FillDriveNames(DriveRecord& record, std::string_view vendor, std::string_view model,
                    std::string_view revision, std::string_view device);
