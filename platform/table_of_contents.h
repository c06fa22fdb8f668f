// TableOfContents: the tracks of a disc as ReadTOC delivers them.
//
// A plain, fixed record of 804 bytes: the length, the first and last track
// numbers, and room for 100 track descriptors. Descriptor n - 1 (counting
// from 0) describes track n, for every n from firstTrack to lastTrack; the
// descriptor right after the last track (index lastTrack) is the lead-out,
// track number kLeadOutTrack, whose address is where the disc's last track
// ends. Descriptors below firstTrack - 1 (a disc whose numbering does not
// start at 1) and beyond the lead-out are zero.
//
// A descriptor's control byte carries the track's control bits: data track
// (kDataTrackBit), digital copy permitted, pre-emphasis, four channels. Its
// four address bytes hold the track's start in the form chosen with
// ModifyCDParms (see CdAccess): a logical block number, big-endian, block 0
// being the start of the first track; or 0, minute, second, frame of the
// disc's time, which counts 150 frames (2 s) before block 0.
#pragma once

#include <cstdint>
#include <type_traits>

// Control bits of a track descriptor.
inline constexpr uint8_t kPreEmphasisBit = 0x01;
inline constexpr uint8_t kCopyPermittedBit = 0x02;
inline constexpr uint8_t kDataTrackBit = 0x04;
inline constexpr uint8_t kFourChannelBit = 0x08;

// Track numbers of a disc run from 1 to 99; the lead-out has its own number.
inline constexpr int kMaxTrackNumber = 99;
inline constexpr uint8_t kLeadOutTrack = 0xAA;

enum class TrackAddressForm : uint8_t {
  kMinuteSecondFrame = 0,
  kLogicalBlock = 1,
};

struct TrackDescriptor {
  uint8_t reserved1 = 0;
  uint8_t control = 0;
  uint8_t trackNumber = 0;
  uint8_t reserved2 = 0;
  uint8_t address[4] = {};
};

struct TableOfContents {
  // Bytes after this field that ReadTOC filled: the two track numbers and
  // the descriptors up to and including the lead-out.
  uint16_t tocLength = 0;
  uint8_t firstTrack = 0;
  uint8_t lastTrack = 0;
  TrackDescriptor tracks[100] = {};
};

static_assert(sizeof(TrackDescriptor) == 8);
static_assert(sizeof(TableOfContents) == 804);
static_assert(std::is_standard_layout_v<TableOfContents> &&
              std::is_trivially_copyable_v<TableOfContents>);

// True when `track` is a track of the table (firstTrack..lastTrack), its
// descriptor is filled, and its data bit is clear. Any other number, also
// one outside 1..99, gives false: no table, however filled, makes this read
// outside the record.
bool IsAudioTrack(const TableOfContents& toc, int track);

// Writing a table, for the CD-access layers: StartTableOfContents clears the
// table and sets the track range (1 <= first <= last <= 99 is the caller's
// to check); SetTrackDescriptor then fills the descriptor of one track of
// that range, or of the lead-out (kLeadOutTrack). `block` is the logical
// block number of the track's start (0 = start of the first track).
void StartTableOfContents(TableOfContents& toc, uint8_t firstTrack, uint8_t lastTrack);
void SetTrackDescriptor(TableOfContents& toc, uint8_t trackNumber, uint8_t control, int32_t block,
                        TrackAddressForm form);

// The address bytes of a track start, in either form (see above).
void EncodeTrackAddress(int32_t block, TrackAddressForm form, uint8_t (&address)[4]);
