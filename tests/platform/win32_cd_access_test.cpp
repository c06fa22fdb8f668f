// The Windows CD layer without a drive to read (wine lists none): every
// call answers as CdAccess promises for drives and handles that are not
// there, and track rows are named as Windows shows an audio disc.
#include "platform/win32/win32_cd_access.h"

#include <gtest/gtest.h>

TEST(Win32CdAccess, UnknownDrivesAndHandlesAreRefusedWithRecordsCleared) {
  Win32CdAccess access;
  DriveList list;
  list.driveCount = 99;
  const int count = access.GetCDList(list);
  EXPECT_EQ(count, list.driveCount);
  EXPECT_EQ(list.maxDrives, kMaxDrives);
  EXPECT_LE(count, kMaxDrives);

  DriveRecord record;
  record.id[0] = 'x';
  EXPECT_EQ(access.GetDriveInfo(static_cast<uint8_t>(count), 0, 0, record), 0);
  EXPECT_EQ(record.id[0], '\0');
  EXPECT_EQ(access.GetDriveInfo(0, 1, 0, record), 0);

  CdHandleRequest request;
  request.hostAdapter = static_cast<uint8_t>(count);
  EXPECT_EQ(access.GetCDHandle(request), kNoCdHandle);
  CdHandleRequest malformed;
  malformed.size = 11;
  EXPECT_EQ(access.GetCDHandle(malformed), kNoCdHandle);

  TableOfContents toc;
  toc.firstTrack = 3;
  EXPECT_EQ(access.ReadTOC(7, toc), 0);
  EXPECT_EQ(toc.firstTrack, 0);
  EXPECT_EQ(access.ModifyCDParms(7, kCdParmTrackAddressForm, 0), 0);
  EXPECT_EQ(access.CloseCDHandle(7), 0);
  DriveRecord unknown;
  unknown.hostAdapter = static_cast<uint8_t>(count);
  EXPECT_EQ(access.DriveLocation(unknown), "");
}
