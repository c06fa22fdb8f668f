// A drive's READ TOC answer as a TableOfContents. See cdrom_toc.h.
#include "platform/cdrom_toc.h"

namespace {

constexpr size_t kHeaderSize = 4;
constexpr size_t kDescriptorSize = 8;
// Minute/second/frame addresses count 150 frames before logical block 0.
constexpr int32_t kLeadInFrames = 150;

}  // namespace

bool TableFromCdromToc(const uint8_t* bytes, size_t size, TrackAddressForm form,
                       TableOfContents& toc) {
  toc = TableOfContents{};
  if (bytes == nullptr || size < kHeaderSize) return false;
  const size_t length = (size_t{bytes[0]} << 8) | bytes[1];  // bytes after the length field
  const int first = bytes[2], last = bytes[3];
  if (first < 1 || first > kMaxTrackNumber || last < first || last > kMaxTrackNumber) return false;
  const size_t descriptors = static_cast<size_t>(last - first) + 2;  // tracks and the lead-out
  const size_t needed = kHeaderSize + descriptors * kDescriptorSize;
  if (size < needed || length + 2 < needed) return false;

  TableOfContents read;
  StartTableOfContents(read, static_cast<uint8_t>(first), static_cast<uint8_t>(last));
  for (size_t i = 0; i < descriptors; ++i) {
    const uint8_t* d = bytes + kHeaderSize + i * kDescriptorSize;
    const bool leadOut = i + 1 == descriptors;
    const int number = leadOut ? kLeadOutTrack : first + static_cast<int>(i);
    if (d[2] != number) return false;
    const int32_t frames = (int32_t{d[5]} * 60 + d[6]) * 75 + d[7];
    if (d[6] >= 60 || d[7] >= 75 || frames < kLeadInFrames) return false;
    const uint8_t control = leadOut ? 0 : static_cast<uint8_t>(d[1] & 0x0F);
    SetTrackDescriptor(read, static_cast<uint8_t>(number), control, frames - kLeadInFrames, form);
  }
  toc = read;
  return true;
}
