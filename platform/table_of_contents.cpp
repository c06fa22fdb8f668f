// Reading and writing the table of contents record. See table_of_contents.h.
#include "platform/table_of_contents.h"

namespace {

// The disc's time counts 75 frames per second and starts 2 s before block 0.
constexpr int32_t kFramesPerSecond = 75;
constexpr int32_t kBlockZeroFrames = 150;

// The descriptor slot of a track number, or -1 when the table has none.
int SlotOf(const TableOfContents& toc, int track) {
  if (track == kLeadOutTrack) return toc.lastTrack <= kMaxTrackNumber ? toc.lastTrack : -1;
  if (track < 1 || track > kMaxTrackNumber) return -1;
  if (track < toc.firstTrack || track > toc.lastTrack) return -1;
  return track - 1;
}

}  // namespace

bool IsAudioTrack(const TableOfContents& toc, int track) {
  if (track == kLeadOutTrack) return false;
  const int slot = SlotOf(toc, track);
  if (slot < 0) return false;
  const TrackDescriptor& descriptor = toc.tracks[slot];
  return descriptor.trackNumber == track && (descriptor.control & kDataTrackBit) == 0;
}

void StartTableOfContents(TableOfContents& toc, uint8_t firstTrack, uint8_t lastTrack) {
  toc = TableOfContents{};
  toc.firstTrack = firstTrack;
  toc.lastTrack = lastTrack;
  // The two track numbers, then the descriptors up to the lead-out's slot.
  const int descriptors = lastTrack + 1;
  toc.tocLength =
      static_cast<uint16_t>(2 + descriptors * static_cast<int>(sizeof(TrackDescriptor)));
}

void SetTrackDescriptor(TableOfContents& toc, uint8_t trackNumber, uint8_t control, int32_t block,
                        TrackAddressForm form) {
  const int slot = SlotOf(toc, trackNumber);
  if (slot < 0) return;
  TrackDescriptor& descriptor = toc.tracks[slot];
  descriptor.control = control;
  descriptor.trackNumber = trackNumber;
  EncodeTrackAddress(block, form, descriptor.address);
}

void EncodeTrackAddress(int32_t block, TrackAddressForm form, uint8_t (&address)[4]) {
  if (form == TrackAddressForm::kLogicalBlock) {
    const auto value = static_cast<uint32_t>(block);
    address[0] = static_cast<uint8_t>(value >> 24);
    address[1] = static_cast<uint8_t>(value >> 16);
    address[2] = static_cast<uint8_t>(value >> 8);
    address[3] = static_cast<uint8_t>(value);
    return;
  }
  // A disc holds well under 100 minutes; a block before the disc's time
  // (never met on a real disc) is written as time 0.
  int32_t frames = block + kBlockZeroFrames;
  if (frames < 0) frames = 0;
  address[0] = 0;
  address[1] = static_cast<uint8_t>(frames / (60 * kFramesPerSecond));
  address[2] = static_cast<uint8_t>(frames / kFramesPerSecond % 60);
  address[3] = static_cast<uint8_t>(frames % kFramesPerSecond);
}
