// The pieces of CD access that need no drive: the row text of a track, the
// names of a drive record, and reading and writing the table of contents.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "platform/cd_track_path.h"
#include "platform/drive_names.h"
#include "platform/table_of_contents.h"

namespace {

// Fills a record with a byte, so that a test sees what a call wrote.
template <typename Record>
void Scribble(Record& record, int byte) {
  std::memset(static_cast<void*>(&record), byte, sizeof record);
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// True when `text` is valid UTF-8.
bool IsUtf8(const char* text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    int more = *p < 0x80           ? 0
               : (*p >> 5) == 0x6  ? 1
               : (*p >> 4) == 0xE  ? 2
               : (*p >> 3) == 0x1E ? 3
                                   : -1;
    if (more < 0) return false;
    ++p;
    for (; more > 0; --more, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
    }
  }
  return true;
}

}  // namespace

TEST(CdTrackPath, NamesTheDesktopsAudioCdLocationOfTheTrack) {
  EXPECT_EQ(CdTrackPath("/dev/sr0", 3), "cdda://sr0/Track%203.wav");
  EXPECT_EQ(CdTrackPath("/dev/sr1", 1), "cdda://sr1/Track%201.wav");
  EXPECT_EQ(CdTrackPath("/dev/sr0", 12), "cdda://sr0/Track%2012.wav");
  EXPECT_EQ(CdTrackPath("/dev/sr0", 99), "cdda://sr0/Track%2099.wav");
  // A disc image is named by its file.
  EXPECT_EQ(CdTrackPath("/tmp/x/My disc.cue", 2), "cdda://My%20disc.cue/Track%202.wav");
}

TEST(CdTrackPath, EncodesEveryCharacterThatIsNotPlainInAUri) {
  const std::string path = CdTrackPath("/dev/odd name#?%/é", 1);
  EXPECT_EQ(path, "cdda://odd%20name%23%3F%25%2F%C3%A9/Track%201.wav");
}

TEST(CdTrackPath, RefusesTrackNumbersNoDiscHasAndAnEmptyDevice) {
  EXPECT_EQ(CdTrackPath("/dev/sr0", 0), "");
  EXPECT_EQ(CdTrackPath("/dev/sr0", 100), "");
  EXPECT_EQ(CdTrackPath("/dev/sr0", -1), "");
  EXPECT_EQ(CdTrackPath("", 1), "");
  EXPECT_EQ(CdTrackPath("/dev/", 1), "");
}

TEST(CdTrackPath, IsNeverTakenForAnMp3File) {
  // The window analyses a row when its text ends in "mp3" in any case.
  for (const char* device : {"/dev/sr0", "/media/x.mp3", "/dev/mp3"}) {
    for (int track = 1; track <= 99; ++track) {
      std::string path = CdTrackPath(device, track);
      for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      EXPECT_FALSE(EndsWith(path, "mp3")) << path;
    }
  }
}

TEST(DriveNames, JoinsVendorModelAndDeviceWithTheDrivesPaddingTrimmed) {
  DriveRecord record;
  FillDriveNames(record, "HL-DT-ST", "DVDRAM GH24NSD1 ", "LG00", "/dev/sr0");
  EXPECT_STREQ(record.id, "HL-DT-ST DVDRAM GH24NSD1 (/dev/sr0)");
  EXPECT_STREQ(record.vendor, "HL-DT-ST");
  EXPECT_STREQ(record.productId, "DVDRAM GH24NSD1");
  EXPECT_STREQ(record.revision, "LG00");

  FillDriveNames(record, "  ", "", "", "/dev/sr1");
  EXPECT_STREQ(record.id, "/dev/sr1");
  EXPECT_STREQ(record.vendor, "");
  FillDriveNames(record, "", "CDROM", "", "/dev/sr2");
  EXPECT_STREQ(record.id, "CDROM (/dev/sr2)");
}

TEST(DriveNames, KeepsEveryFieldWithinItsRoomAndZeroTerminated) {
  DriveRecord record;
  Scribble(record, 'x');
  const std::string longPath = "/media/" + std::string(100, 'a') + "/disc.cue";
  FillDriveNames(record, "VENDORNAMETOOLONG", "MODEL NAME THAT IS FAR TOO LONG", "REVISION",
                 longPath);
  EXPECT_EQ(std::strlen(record.id), kDriveNameLength);
  EXPECT_EQ(std::string(record.id),
            ("VENDORNAMETOOLONG MODEL NAME THAT IS FAR TOO LONG (" + longPath).substr(0, 64));
  EXPECT_STREQ(record.vendor, "VENDORNA");
  EXPECT_STREQ(record.productId, "MODEL NAME THAT ");
  EXPECT_STREQ(record.revision, "REVI");
  EXPECT_EQ(record.vendorSpecific[0], 'x');  // not a name field: left alone
}

TEST(DriveNames, CutsNoCharacterInHalfAndShowsNoControlCharacters) {
  // "é" is two bytes; after the 7 bytes of "VX M (/" the 64th byte is the
  // first half of one.
  std::string device = "/";
  for (int i = 0; i < 40; ++i) device += "é";
  DriveRecord record;
  FillDriveNames(record, "VX", "M", "", device);
  EXPECT_TRUE(IsUtf8(record.id)) << record.id;
  EXPECT_LE(std::strlen(record.id), kDriveNameLength);
  EXPECT_EQ(std::strlen(record.id), kDriveNameLength - 1);

  FillDriveNames(record, "BAD\x01\x80", "M\tX\n", "", "/dev/s\x1b r");
  EXPECT_STREQ(record.vendor, "BAD??");
  EXPECT_STREQ(record.productId, "M?X?");
  EXPECT_STREQ(record.id, "BAD?? M?X? (/dev/s? r)");
}

TEST(TableOfContents, PutsTrackNInDescriptorNMinusOneAndTheLeadOutAfterTheLast) {
  TableOfContents toc;
  StartTableOfContents(toc, 1, 3);
  SetTrackDescriptor(toc, 1, 0, 0, TrackAddressForm::kLogicalBlock);
  SetTrackDescriptor(toc, 2, kCopyPermittedBit, 300, TrackAddressForm::kLogicalBlock);
  SetTrackDescriptor(toc, 3, kDataTrackBit, 0x01020304, TrackAddressForm::kLogicalBlock);
  SetTrackDescriptor(toc, kLeadOutTrack, 0, 900, TrackAddressForm::kLogicalBlock);
  EXPECT_EQ(toc.tocLength, 2 + 4 * 8);
  EXPECT_EQ(toc.tracks[1].trackNumber, 2);
  EXPECT_EQ(toc.tracks[1].control, kCopyPermittedBit);
  const uint8_t big[4] = {1, 2, 3, 4};
  EXPECT_EQ(std::memcmp(toc.tracks[2].address, big, 4), 0);
  EXPECT_EQ(toc.tracks[3].trackNumber, kLeadOutTrack);
  EXPECT_EQ(toc.tracks[3].address[2], 900 >> 8);
  EXPECT_EQ(toc.tracks[3].address[3], 900 & 0xFF);
  EXPECT_TRUE(IsAudioTrack(toc, 1));
  EXPECT_TRUE(IsAudioTrack(toc, 2));
  EXPECT_FALSE(IsAudioTrack(toc, 3));
  EXPECT_FALSE(IsAudioTrack(toc, 4));
  EXPECT_FALSE(IsAudioTrack(toc, kLeadOutTrack));
  // Outside the range: nothing is written.
  SetTrackDescriptor(toc, 7, 0, 5, TrackAddressForm::kLogicalBlock);
  EXPECT_EQ(toc.tracks[6].trackNumber, 0);
}

TEST(TableOfContents, WritesDiscTimeCountingTwoSecondsBeforeBlockZero) {
  uint8_t address[4];
  EncodeTrackAddress(0, TrackAddressForm::kMinuteSecondFrame, address);
  EXPECT_EQ(address[1], 0);
  EXPECT_EQ(address[2], 2);
  EXPECT_EQ(address[3], 0);
  // 74:59:74 is block 74 * 4500 + 59 * 75 + 74 - 150.
  EncodeTrackAddress(74 * 4500 + 59 * 75 + 74 - 150, TrackAddressForm::kMinuteSecondFrame, address);
  EXPECT_EQ(address[0], 0);
  EXPECT_EQ(address[1], 74);
  EXPECT_EQ(address[2], 59);
  EXPECT_EQ(address[3], 74);
}

TEST(TableOfContents, AskingAboutAnyTrackOfAnyTableStaysInsideTheRecord) {
  // A table filled with nonsense (first 0, last 255) must not make the
  // check read past the descriptors: ASan reports any such read.
  TableOfContents toc;
  Scribble(toc, 0xFF);
  toc.firstTrack = 0;
  toc.lastTrack = 255;
  for (int track = -5; track <= 300; ++track) {
    const bool audio = IsAudioTrack(toc, track);
    EXPECT_FALSE(audio) << track;  // every control byte has the data bit
  }
  toc.tracks[98].control = 0;
  toc.tracks[98].trackNumber = 99;
  EXPECT_TRUE(IsAudioTrack(toc, 99));
  // A descriptor that names another track than its slot is not taken.
  toc.tracks[4].control = 0;
  toc.tracks[4].trackNumber = 7;
  EXPECT_FALSE(IsAudioTrack(toc, 5));
}

TEST(WindowsCdTrackPath, IsTheDriveLetterAndTheTracksCdaFile) {
  EXPECT_EQ(WindowsCdTrackPath('D', 3), "D:\\Track03.cda");
  EXPECT_EQ(WindowsCdTrackPath('e', 12), "E:\\Track12.cda");
  EXPECT_EQ(WindowsCdTrackPath('D', 99), "D:\\Track99.cda");
  EXPECT_EQ(WindowsCdTrackPath('D', 0), "");
  EXPECT_EQ(WindowsCdTrackPath('D', 100), "");
  EXPECT_EQ(WindowsCdTrackPath('1', 1), "");
}
