// A drive's READ TOC answer (as Windows' IOCTL_CDROM_READ_TOC gives it) as
// the table ReadTOC delivers: addresses from minute/second/frame to logical
// blocks (150 frames before block 0) or kept as M/S/F, control bits kept,
// and every malformed answer refused with the table cleared.
#include "platform/cdrom_toc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A READ TOC answer: tracks first..last starting at the given frames of the
// disc's time (lead-out last), each with its control nibble and ADR 1.
std::vector<uint8_t> Answer(uint8_t first, uint8_t last, const std::vector<int>& frames,
                            const std::vector<uint8_t>& controls) {
  std::vector<uint8_t> bytes = {0, 0, first, last};
  for (size_t i = 0; i < frames.size(); ++i) {
    const bool leadOut = i + 1 == frames.size();
    const int f = frames[i];
    bytes.insert(bytes.end(), {0, static_cast<uint8_t>(0x10 | (leadOut ? 0 : controls[i])),
                               static_cast<uint8_t>(leadOut ? kLeadOutTrack : first + i), 0, 0,
                               static_cast<uint8_t>(f / 75 / 60), static_cast<uint8_t>(f / 75 % 60),
                               static_cast<uint8_t>(f % 75)});
  }
  const size_t length = bytes.size() - 2;
  bytes[0] = static_cast<uint8_t>(length >> 8);
  bytes[1] = static_cast<uint8_t>(length);
  return bytes;
}

int32_t BlockOf(const TrackDescriptor& d) {
  return (d.address[0] << 24) | (d.address[1] << 16) | (d.address[2] << 8) | d.address[3];
}

}  // namespace

TEST(CdromToc, AnAudioDiscBecomesTheTableWithBlockAddresses) {
  // Three tracks: audio at 0:02.00, audio with pre-emphasis, a data track;
  // the lead-out at 60:00.00.
  const std::vector<uint8_t> bytes =
      Answer(1, 3, {150, 150 + 20000, 150 + 45000, 60 * 60 * 75}, {0x02, 0x01, 0x04});
  TableOfContents toc;
  ASSERT_TRUE(TableFromCdromToc(bytes.data(), bytes.size(), TrackAddressForm::kLogicalBlock, toc));
  EXPECT_EQ(toc.firstTrack, 1);
  EXPECT_EQ(toc.lastTrack, 3);
  EXPECT_EQ(BlockOf(toc.tracks[0]), 0);
  EXPECT_EQ(BlockOf(toc.tracks[1]), 20000);
  EXPECT_EQ(BlockOf(toc.tracks[2]), 45000);
  EXPECT_EQ(toc.tracks[3].trackNumber, kLeadOutTrack);
  EXPECT_EQ(BlockOf(toc.tracks[3]), 60 * 60 * 75 - 150);
  EXPECT_EQ(toc.tracks[0].control, kCopyPermittedBit);
  EXPECT_EQ(toc.tracks[1].control, kPreEmphasisBit);
  EXPECT_TRUE(IsAudioTrack(toc, 1));
  EXPECT_TRUE(IsAudioTrack(toc, 2));
  EXPECT_FALSE(IsAudioTrack(toc, 3));

  ASSERT_TRUE(
      TableFromCdromToc(bytes.data(), bytes.size(), TrackAddressForm::kMinuteSecondFrame, toc));
  const uint8_t msf[4] = {0, 0, 2, 0};  // block 0 is 0:02.00
  EXPECT_TRUE(std::equal(msf, msf + 4, toc.tracks[0].address));
}

TEST(CdromToc, ANumberingThatDoesNotStartAtOneKeepsItsNumbers) {
  const std::vector<uint8_t> bytes = Answer(5, 6, {150, 3000, 9000}, {0, 0});
  TableOfContents toc;
  ASSERT_TRUE(TableFromCdromToc(bytes.data(), bytes.size(), TrackAddressForm::kLogicalBlock, toc));
  EXPECT_EQ(toc.tracks[4].trackNumber, 5);
  EXPECT_EQ(toc.tracks[5].trackNumber, 6);
  EXPECT_EQ(toc.tracks[6].trackNumber, kLeadOutTrack);
  EXPECT_EQ(toc.tracks[3].trackNumber, 0);
}

TEST(CdromToc, MalformedAnswersAreRefusedWithTheTableCleared) {
  const std::vector<uint8_t> good = Answer(1, 2, {150, 3000, 9000}, {0, 0});
  TableOfContents toc;
  auto refused = [&](std::vector<uint8_t> bytes) {
    toc.firstTrack = 9;
    const bool ok =
        TableFromCdromToc(bytes.data(), bytes.size(), TrackAddressForm::kLogicalBlock, toc);
    return !ok && toc.firstTrack == 0 && toc.tocLength == 0;
  };
  EXPECT_TRUE(refused({}));
  EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1)));  // cut short
  auto lengthShort = good;
  lengthShort[1] = 4;
  EXPECT_TRUE(refused(lengthShort));
  auto noTracks = good;
  noTracks[2] = 0;
  EXPECT_TRUE(refused(noTracks));
  auto backwards = good;
  backwards[2] = 3;
  EXPECT_TRUE(refused(backwards));
  auto beyond = good;
  beyond[3] = 100;
  EXPECT_TRUE(refused(beyond));
  auto outOfSequence = good;
  outOfSequence[4 + 8 + 2] = 7;  // the second descriptor names track 7
  EXPECT_TRUE(refused(outOfSequence));
  auto noLeadOut = good;
  noLeadOut[4 + 16 + 2] = 3;
  EXPECT_TRUE(refused(noLeadOut));
  auto badSeconds = good;
  badSeconds[4 + 6] = 60;
  EXPECT_TRUE(refused(badSeconds));
  auto inLeadIn = Answer(1, 2, {100, 3000, 9000}, {0, 0});
  EXPECT_TRUE(refused(inLeadIn));
}
