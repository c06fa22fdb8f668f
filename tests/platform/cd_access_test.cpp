// CD access: the libcdio layer reading BIN/CUE disc images written here by
// the rules of the CUE format (libcdio opens images like drives), and the
// fake drives of the window's tests held to the same contract.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/cd_access.h"
#include "platform/cd_track_path.h"
#include "platform/libcdio_cd_access.h"
#include "tests/support/fake_cd_access.h"
#include "tests/support/temp_folder.h"

// libcdio 2.1 loses one copied string when it opens a CUE sheet that lists
// no track: its leak, not this layer's, which LeakSanitizer finds in the test
// of such a sheet. Lost copied strings alone are passed over; a libcdio
// object left open still shows (its other allocations are reported).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:__interceptor_strdup\n";
}

namespace {

// Fills a record with a byte, so that a test sees what a call wrote.
template <typename Record>
void Scribble(Record& record, int byte) {
  std::memset(static_cast<void*>(&record), byte, sizeof record);
}

constexpr int kSectorBytes = 2352;  // every raw CD sector, audio or MODE1/2352 or MODE2/2352

// Writes NAME.bin of `sectors` raw sectors and NAME.cue, whose FILE line
// names the .bin, followed by `tracks`. Returns the path of the .cue.
std::string WriteImage(const TempFolder& folder, const std::string& name, int sectors,
                       const std::string& tracks) {
  {
    std::ofstream bin(folder.File(name + ".bin"), std::ios::binary);
    const std::vector<char> sector(kSectorBytes, 0);
    for (int i = 0; i < sectors; ++i) bin.write(sector.data(), kSectorBytes);
  }
  std::ofstream cue(folder.File(name + ".cue"));
  cue << "FILE \"" << name << ".bin\" BINARY\n" << tracks;
  return folder.File(name + ".cue");
}

// Two audio tracks and a data track of 300 sectors (4 s) each.
constexpr const char* kMixedTracks =
    "  TRACK 01 AUDIO\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 AUDIO\n"
    "    INDEX 01 00:04:00\n"
    "  TRACK 03 MODE1/2352\n"
    "    INDEX 01 00:08:00\n";

// Two data tracks of 300 sectors each.
constexpr const char* kDataTracks =
    "  TRACK 01 MODE1/2352\n"
    "    INDEX 01 00:00:00\n"
    "  TRACK 02 MODE2/2352\n"
    "    INDEX 01 00:04:00\n";

// The logical block number in a descriptor's address bytes.
int32_t BlockOf(const TrackDescriptor& descriptor) {
  return static_cast<int32_t>(static_cast<uint32_t>(descriptor.address[0]) << 24 |
                              static_cast<uint32_t>(descriptor.address[1]) << 16 |
                              static_cast<uint32_t>(descriptor.address[2]) << 8 |
                              descriptor.address[3]);
}

bool IsCleared(const TableOfContents& toc) {
  static const TableOfContents kCleared{};
  return std::memcmp(&toc, &kCleared, sizeof toc) == 0;
}

bool IsCleared(const DriveRecord& record) {
  static const DriveRecord kCleared{};
  return std::memcmp(&record, &kCleared, sizeof record) == 0;
}

// The same three drives, made by either implementation: drive 0 holds a
// disc of two audio tracks and a data track, drive 1 a disc of two data
// tracks, drive 2 is listed but cannot be opened. Tracks start every 300
// blocks.
struct ThreeDrives {
  std::unique_ptr<TempFolder> folder;
  std::unique_ptr<CdAccess> access;
};

ThreeDrives LibcdioDrives() {
  ThreeDrives drives;
  drives.folder = std::make_unique<TempFolder>();
  const std::string mixed = WriteImage(*drives.folder, "mixed", 900, kMixedTracks);
  const std::string data = WriteImage(*drives.folder, "data", 600, kDataTracks);
  drives.access = std::make_unique<LibcdioCdAccess>(
      std::vector<std::string>{mixed, data, drives.folder->File("missing.cue")});
  return drives;
}

ThreeDrives FakeDrives() {
  ThreeDrives drives;
  auto fake = std::make_unique<FakeCdAccess>();
  fake->InsertDisc(fake->AddDrive("ACME CDR-1 (/dev/sr0)", "/dev/sr0"), FakeDisc::ThirdTrackData());
  fake->InsertDisc(fake->AddDrive("ACME CDR-2 (/dev/sr1)", "/dev/sr1"), FakeDisc::DataOnly());
  const int broken = fake->AddDrive("ACME CDR-3 (/dev/sr2)", "/dev/sr2");
  fake->FailQuery(broken);
  fake->FailOpen(broken);
  drives.access = std::move(fake);
  return drives;
}

struct Implementation {
  const char* name;
  ThreeDrives (*make)();
};

// Test listings show the implementation's name, not the struct's bytes.
void PrintTo(const Implementation& implementation, std::ostream* out) {
  *out << implementation.name;
}

class CdAccessContract : public ::testing::TestWithParam<Implementation> {
 protected:
  void SetUp() override {
    drives_ = GetParam().make();
    ASSERT_EQ(cd().GetCDList(list_), 3);
  }
  CdAccess& cd() { return *drives_.access; }

  // Opens drive `index`, reads its table and closes it, as the window does.
  int ReadDisc(int index, TableOfContents& toc) {
    const CdHandle handle = cd().GetCDHandle(CdHandleRequest::ForDrive(list_.drives[index]));
    if (handle == kNoCdHandle) return -1;
    EXPECT_EQ(cd().ModifyCDParms(handle, kCdParmTrackAddressForm, 1), kCdSuccess);
    const int result = cd().ReadTOC(handle, toc);
    EXPECT_EQ(cd().CloseCDHandle(handle), kCdSuccess);
    return result;
  }

  ThreeDrives drives_;
  DriveList list_;
};

}  // namespace

TEST_P(CdAccessContract, ListsTheDrivesWithTheirIndexAsAddress) {
  EXPECT_EQ(list_.maxDrives, kMaxDrives);
  EXPECT_EQ(list_.driveCount, 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list_.drives[i].hostAdapter, i);
    EXPECT_EQ(list_.drives[i].target, 0);
    EXPECT_EQ(list_.drives[i].lun, 0);
  }
  EXPECT_TRUE(IsCleared(list_.drives[3]));
  // Listing again clears what the list held.
  Scribble(list_, 0x5A);
  EXPECT_EQ(cd().GetCDList(list_), 3);
  EXPECT_TRUE(IsCleared(list_.drives[7]));
}

TEST_P(CdAccessContract, NamesTheDrivesThatAnswerAndClearsTheRecordOfTheOthers) {
  DriveRecord record;
  ASSERT_EQ(cd().GetDriveInfo(1, 0, 0, record), kCdSuccess);
  EXPECT_EQ(record.hostAdapter, 1);
  EXPECT_GT(std::strlen(record.id), 0u);
  EXPECT_LE(std::strlen(record.id), kDriveNameLength);
  EXPECT_EQ(record.id[kDriveNameLength], '\0');

  for (const auto [hostAdapter, target, lun] :
       {std::array<uint8_t, 3>{2, 0, 0}, {3, 0, 0}, {0, 1, 0}, {0, 0, 1}, {255, 255, 255}}) {
    Scribble(record, 0x5A);
    EXPECT_EQ(cd().GetDriveInfo(hostAdapter, target, lun, record), 0) << int{hostAdapter};
    EXPECT_TRUE(IsCleared(record));
  }
}

TEST_P(CdAccessContract, ReadsADiscWhoseThirdTrackIsData) {
  TableOfContents toc;
  ASSERT_EQ(ReadDisc(0, toc), kCdSuccess);
  EXPECT_EQ(toc.firstTrack, 1);
  EXPECT_EQ(toc.lastTrack, 3);
  EXPECT_EQ(toc.tocLength, 2 + 4 * 8);
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(toc.tracks[n - 1].trackNumber, n);
    EXPECT_EQ(BlockOf(toc.tracks[n - 1]), (n - 1) * 300) << n;
  }
  EXPECT_EQ(toc.tracks[0].control & kDataTrackBit, 0);
  EXPECT_EQ(toc.tracks[1].control & kDataTrackBit, 0);
  EXPECT_EQ(toc.tracks[2].control & kDataTrackBit, kDataTrackBit);
  EXPECT_EQ(toc.tracks[3].trackNumber, kLeadOutTrack);
  EXPECT_EQ(BlockOf(toc.tracks[3]), 900);
  EXPECT_TRUE(IsAudioTrack(toc, 1));
  EXPECT_TRUE(IsAudioTrack(toc, 2));
  EXPECT_FALSE(IsAudioTrack(toc, 3));
}

TEST_P(CdAccessContract, ReadsADiscOfDataTracksOnly) {
  TableOfContents toc;
  ASSERT_EQ(ReadDisc(1, toc), kCdSuccess);
  EXPECT_EQ(toc.firstTrack, 1);
  EXPECT_EQ(toc.lastTrack, 2);
  for (int n = toc.firstTrack; n <= toc.lastTrack; ++n) {
    EXPECT_EQ(toc.tracks[n - 1].control & kDataTrackBit, kDataTrackBit) << n;
    EXPECT_FALSE(IsAudioTrack(toc, n));
  }
  EXPECT_EQ(BlockOf(toc.tracks[2]), 600);
}

TEST_P(CdAccessContract, ADriveThatCannotBeOpenedGivesNoHandle) {
  EXPECT_EQ(cd().GetCDHandle(CdHandleRequest::ForDrive(list_.drives[2])), kNoCdHandle);
  DriveRecord unknown;
  unknown.hostAdapter = 3;
  EXPECT_EQ(cd().GetCDHandle(CdHandleRequest::ForDrive(unknown)), kNoCdHandle);
  CdHandleRequest malformed = CdHandleRequest::ForDrive(list_.drives[0]);
  malformed.size = 0;
  EXPECT_EQ(cd().GetCDHandle(malformed), kNoCdHandle);
  malformed = CdHandleRequest::ForDrive(list_.drives[0]);
  malformed.version = 2;
  EXPECT_EQ(cd().GetCDHandle(malformed), kNoCdHandle);
}

TEST_P(CdAccessContract, HandlesAreDistinctAndRefusedOnceClosed) {
  const CdHandleRequest request = CdHandleRequest::ForDrive(list_.drives[0]);
  const CdHandle first = cd().GetCDHandle(request);
  const CdHandle second = cd().GetCDHandle(request);
  ASSERT_NE(first, kNoCdHandle);
  ASSERT_NE(second, kNoCdHandle);
  EXPECT_NE(first, second);

  EXPECT_EQ(cd().CloseCDHandle(first), kCdSuccess);
  EXPECT_EQ(cd().CloseCDHandle(first), 0);
  TableOfContents toc;
  Scribble(toc, 0x5A);
  EXPECT_EQ(cd().ReadTOC(first, toc), 0);
  EXPECT_TRUE(IsCleared(toc));
  EXPECT_EQ(cd().ModifyCDParms(first, kCdParmTrackAddressForm, 1), 0);

  // The other handle still reads, as often as asked.
  EXPECT_EQ(cd().ReadTOC(second, toc), kCdSuccess);
  EXPECT_EQ(cd().ReadTOC(second, toc), kCdSuccess);
  EXPECT_EQ(toc.lastTrack, 3);
  EXPECT_EQ(cd().CloseCDHandle(second), kCdSuccess);
  EXPECT_EQ(cd().CloseCDHandle(kNoCdHandle), 0);
  EXPECT_EQ(cd().ReadTOC(kNoCdHandle, toc), 0);
}

TEST_P(CdAccessContract, KnowsOneParameterAndTwoAddressForms) {
  const CdHandle handle = cd().GetCDHandle(CdHandleRequest::ForDrive(list_.drives[0]));
  ASSERT_NE(handle, kNoCdHandle);
  EXPECT_EQ(cd().ModifyCDParms(handle, 35, 1), 0);
  EXPECT_EQ(cd().ModifyCDParms(handle, kCdParmTrackAddressForm, 2), 0);
  ASSERT_EQ(cd().ModifyCDParms(handle, kCdParmTrackAddressForm, 0), kCdSuccess);
  TableOfContents toc;
  ASSERT_EQ(cd().ReadTOC(handle, toc), kCdSuccess);
  // Track 2 starts 4 s into the disc, which begins at 00:02:00.
  const TrackDescriptor& second = toc.tracks[1];
  EXPECT_EQ(second.address[0], 0);
  EXPECT_EQ(second.address[1], 0);
  EXPECT_EQ(second.address[2], 6);
  EXPECT_EQ(second.address[3], 0);
  const TrackDescriptor& leadOut = toc.tracks[3];
  EXPECT_EQ(leadOut.address[2], 14);
  EXPECT_EQ(cd().CloseCDHandle(handle), kCdSuccess);
}

TEST_P(CdAccessContract, LocatesListedDrivesOnly) {
  const std::string location = cd().DriveLocation(list_.drives[0]);
  EXPECT_FALSE(location.empty());
  EXPECT_NE(cd().DriveLocation(list_.drives[1]), location);
  DriveRecord unknown;
  unknown.hostAdapter = 3;
  EXPECT_EQ(cd().DriveLocation(unknown), "");
}

INSTANTIATE_TEST_SUITE_P(Implementations, CdAccessContract,
                         ::testing::Values(Implementation{"Libcdio", LibcdioDrives},
                                           Implementation{"Fake", FakeDrives}),
                         [](const auto& instance) { return std::string(instance.param.name); });

// What only the libcdio layer shows: libcdio's reading of images written by
// the CUE format's rules.

TEST(LibcdioCdAccess, TakesTheTrackFlagsFromTheImage) {
  TempFolder folder;
  const std::string cue = WriteImage(folder, "flags", 600,
                                     "  TRACK 01 AUDIO\n"
                                     "    FLAGS DCP PRE\n"
                                     "    INDEX 01 00:00:00\n"
                                     "  TRACK 02 AUDIO\n"
                                     "    FLAGS 4CH\n"
                                     "    INDEX 00 00:02:00\n"
                                     "    INDEX 01 00:04:00\n");
  LibcdioCdAccess cd({cue});
  DriveList list;
  ASSERT_EQ(cd.GetCDList(list), 1);
  const CdHandle handle = cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[0]));
  ASSERT_NE(handle, kNoCdHandle);
  TableOfContents toc;
  ASSERT_EQ(cd.ReadTOC(handle, toc), kCdSuccess);
  EXPECT_EQ(toc.tracks[0].control, kCopyPermittedBit | kPreEmphasisBit);
  EXPECT_EQ(toc.tracks[1].control, kFourChannelBit);
  // A track starts at its index 1; its pregap (index 0) comes before.
  EXPECT_EQ(BlockOf(toc.tracks[1]), 300);
  EXPECT_EQ(cd.CloseCDHandle(handle), kCdSuccess);
}

TEST(LibcdioCdAccess, ADiscWhoseNumberingStartsLaterKeepsTrackNInDescriptorNMinusOne) {
  TempFolder folder;
  const std::string cue = WriteImage(folder, "late", 600,
                                     "  TRACK 03 AUDIO\n"
                                     "    INDEX 01 00:00:00\n"
                                     "  TRACK 04 MODE1/2352\n"
                                     "    INDEX 01 00:04:00\n");
  LibcdioCdAccess cd({cue});
  DriveList list;
  ASSERT_EQ(cd.GetCDList(list), 1);
  const CdHandle handle = cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[0]));
  TableOfContents toc;
  ASSERT_EQ(cd.ReadTOC(handle, toc), kCdSuccess);
  EXPECT_EQ(toc.firstTrack, 3);
  EXPECT_EQ(toc.lastTrack, 4);
  EXPECT_EQ(toc.tracks[0].trackNumber, 0);
  EXPECT_EQ(toc.tracks[1].trackNumber, 0);
  EXPECT_EQ(toc.tracks[2].trackNumber, 3);
  EXPECT_EQ(toc.tracks[3].trackNumber, 4);
  EXPECT_EQ(toc.tracks[4].trackNumber, kLeadOutTrack);
  EXPECT_TRUE(IsAudioTrack(toc, 3));
  EXPECT_FALSE(IsAudioTrack(toc, 4));
  EXPECT_FALSE(IsAudioTrack(toc, 1));
  cd.CloseCDHandle(handle);
}

TEST(LibcdioCdAccess, NamesAnImageByWhatLibcdioSaysOfItAndItsPath) {
  TempFolder folder;
  const std::string cue = WriteImage(folder, "d", 300, "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
  LibcdioCdAccess cd({cue});
  DriveList list;
  ASSERT_EQ(cd.GetCDList(list), 1);
  DriveRecord record;
  ASSERT_EQ(cd.GetDriveInfo(0, 0, 0, record), kCdSuccess);
  const std::string id = record.id;
  const std::string expected =
      std::string(record.vendor) + " " + record.productId + " (" + cue + ")";
  EXPECT_EQ(id, expected.substr(0, kDriveNameLength));
  EXPECT_GT(std::strlen(record.vendor), 0u);
  EXPECT_EQ(CdTrackPath(cd.DriveLocation(list.drives[0]), 1), "cdda://d.cue/Track%201.wav");
}

TEST(LibcdioCdAccess, FailsCleanlyAndSilentlyForAnythingThatIsNoReadableDisc) {
  TempFolder folder;
  const std::string empty = WriteImage(folder, "empty", 10, "");  // a FILE line, no track
  {
    std::ofstream junk(folder.File("junk.cue"), std::ios::binary);
    junk << "hello\n\x01\xff TRACK\nINDEX 99:99:99\n";
    std::ofstream bin(folder.File("junk.bin"), std::ios::binary);
    bin << "x";
  }
  // /dev/null opens as a drive (the system's drive driver takes it) in which
  // no disc can be read: the case of a drive without a disc.
  LibcdioCdAccess cd(
      {empty, folder.File("junk.cue"), "/dev/null", folder.File("none.cue"), folder.Path()});
  DriveList list;
  ASSERT_EQ(cd.GetCDList(list), 5);

  ::testing::internal::CaptureStderr();
  int handles = 0;
  for (int i = 0; i < list.driveCount; ++i) {
    const CdHandle handle = cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[i]));
    if (handle == kNoCdHandle) continue;
    ++handles;
    TableOfContents toc;
    EXPECT_EQ(cd.ReadTOC(handle, toc), 0) << i;
    EXPECT_TRUE(IsCleared(toc));
    EXPECT_EQ(cd.CloseCDHandle(handle), kCdSuccess);
  }
  DriveRecord record;
  EXPECT_EQ(cd.GetDriveInfo(3, 0, 0, record), 0);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(printed, "");
  EXPECT_GE(handles, 1);  // /dev/null at least opened
}

TEST(LibcdioCdAccess, ADriveThatGoesAwayAfterTheListingFailsItsCalls) {
  TempFolder folder;
  const std::string cue = WriteImage(folder, "gone", 900, kMixedTracks);
  LibcdioCdAccess cd({cue});
  DriveList list;
  ASSERT_EQ(cd.GetCDList(list), 1);
  ASSERT_EQ(unlink(cue.c_str()), 0);
  ASSERT_EQ(unlink(folder.File("gone.bin").c_str()), 0);
  DriveRecord record;
  EXPECT_EQ(cd.GetDriveInfo(0, 0, 0, record), 0);
  EXPECT_EQ(cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[0])), kNoCdHandle);
  // The next listing of given sources still lists it; it stays unopenable.
  EXPECT_EQ(cd.GetCDList(list), 1);
  EXPECT_EQ(cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[0])), kNoCdHandle);
}

TEST(LibcdioCdAccess, ListsAtMostEightDrivesAndClosesWhatIsLeftOpen) {
  TempFolder folder;
  const std::string cue = WriteImage(folder, "one", 900, kMixedTracks);
  std::vector<std::string> sources(10, cue);
  LibcdioCdAccess cd(sources);
  DriveList list;
  EXPECT_EQ(cd.GetCDList(list), kMaxDrives);
  EXPECT_EQ(list.drives[7].hostAdapter, 7);
  // Handles left open are closed with the layer (LeakSanitizer checks).
  EXPECT_NE(cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[7])), kNoCdHandle);
  EXPECT_NE(cd.GetCDHandle(CdHandleRequest::ForDrive(list.drives[0])), kNoCdHandle);
}

TEST(LibcdioCdAccess, TheMachinesOwnDrivesListWithoutHarm) {
  // Whatever drives this machine has (usually none on a build machine): the
  // list is well formed, and every drive either answers with a name or not.
  LibcdioCdAccess cd;
  DriveList list;
  const int count = cd.GetCDList(list);
  EXPECT_EQ(count, list.driveCount);
  EXPECT_LE(count, kMaxDrives);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(list.drives[i].hostAdapter, i);
    DriveRecord record;
    if (cd.GetDriveInfo(static_cast<uint8_t>(i), 0, 0, record) == kCdSuccess) {
      EXPECT_GT(std::strlen(record.id), 0u);
    } else {
      EXPECT_TRUE(IsCleared(record));
    }
  }
}

// The fake's own additions, that the window's tests rely on.

TEST(FakeCdAccess, TwoDrivesHoldTheDiscsItPromises) {
  auto fake = FakeCdAccess::TwoDrives();
  DriveList list;
  ASSERT_EQ(fake->GetCDList(list), 2);
  DriveRecord record;
  ASSERT_EQ(fake->GetDriveInfo(0, 0, 0, record), kCdSuccess);
  EXPECT_STREQ(record.id, "ACME CDR-1 (/dev/sr0)");
  ASSERT_EQ(fake->GetDriveInfo(1, 0, 0, record), kCdSuccess);
  EXPECT_STREQ(record.id, "ACME CDR-2 (/dev/sr1)");
  EXPECT_EQ(fake->DriveLocation(list.drives[0]), "/dev/sr0");
  EXPECT_EQ(fake->HandlesOpened(), 0);
  EXPECT_EQ(fake->TocReads(), 0);
}

TEST(FakeCdAccess, RecordsWhatWasAskedAndFollowsItsDrivesChanges) {
  FakeCdAccess fake;
  const int drive = fake.AddDrive("D", "/dev/sr0");
  DriveList list;
  ASSERT_EQ(fake.GetCDList(list), 1);
  const CdHandleRequest request = CdHandleRequest::ForDrive(list.drives[0]);

  // No disc: the drive opens, its table cannot be read.
  CdHandle handle = fake.GetCDHandle(request);
  ASSERT_NE(handle, kNoCdHandle);
  EXPECT_EQ(fake.ModifyCDParms(handle, kCdParmTrackAddressForm, 1), kCdSuccess);
  TableOfContents toc;
  EXPECT_EQ(fake.ReadTOC(handle, toc), 0);
  EXPECT_EQ(fake.OpenHandleCount(), 1);
  fake.CloseCDHandle(handle);
  EXPECT_EQ(fake.OpenHandleCount(), 0);

  fake.InsertDisc(drive, FakeDisc::Audio(5));
  handle = fake.GetCDHandle(request);
  ASSERT_EQ(fake.ReadTOC(handle, toc), kCdSuccess);
  EXPECT_EQ(toc.lastTrack, 5);

  // Unplugged with a handle open: that handle reads nothing any more, the
  // drive neither answers nor opens, the next listing leaves it out.
  fake.Unplug(drive);
  EXPECT_EQ(fake.ReadTOC(handle, toc), 0);
  EXPECT_EQ(fake.GetCDHandle(request), kNoCdHandle);
  DriveRecord record;
  EXPECT_EQ(fake.GetDriveInfo(0, 0, 0, record), 0);
  EXPECT_EQ(fake.CloseCDHandle(handle), kCdSuccess);
  EXPECT_EQ(fake.GetCDList(list), 0);

  EXPECT_EQ(fake.HandlesOpened(), 2);
  EXPECT_EQ(fake.TocReads(), 3);
  ASSERT_EQ(fake.ParmChanges().size(), 1u);
  EXPECT_EQ(fake.ParmChanges()[0].first, kCdParmTrackAddressForm);
}
