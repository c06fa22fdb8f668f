// TagLib's stream over a borrowed descriptor. See descriptor_stream.h.
#include "tags/descriptor_stream.h"

#include <algorithm>
#include <vector>

#include "platform/file_descriptor.h"

namespace {

constexpr size_t kMoveBlock = 1 << 20;

}  // namespace

TagLib::FileName DescriptorStream::name() const {
  return "";
}

long DescriptorStream::length() {
  const std::optional<DescriptorStatus> status = StatusOfDescriptor(descriptor_);
  if (!status) {
    failed_ = true;
    return 0;
  }
  return static_cast<long>(status->size);
}

TagLib::ByteVector DescriptorStream::readBlock(unsigned long length) {
  const uint64_t size = static_cast<uint64_t>(this->length());
  if (length == 0 || position_ >= size) return TagLib::ByteVector();
  // At most `length`, which fits in memory's sizes on every system.
  const auto wanted = static_cast<size_t>(std::min<uint64_t>(length, size - position_));
  TagLib::ByteVector block(static_cast<unsigned int>(wanted), '\0');
  size_t got = 0;
  while (got < wanted) {
    const long long n = ReadAt(descriptor_, block.data() + got, wanted - got, position_ + got);
    if (n < 0) failed_ = true;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  block.resize(static_cast<unsigned int>(got));
  position_ += got;
  return block;
}

void DescriptorStream::writeBlock(const TagLib::ByteVector& data) {
  if (readOnly_) {
    failed_ = true;
    return;
  }
  if (!WriteAt(descriptor_, data.data(), data.size(), position_)) failed_ = true;
  position_ += data.size();
}

bool DescriptorStream::MoveTail(uint64_t from, uint64_t to) {
  const uint64_t size = static_cast<uint64_t>(length());
  if (from >= size || from == to) return true;
  std::vector<char> block(kMoveBlock);
  if (to > from) {
    // Moving towards the end: copy the last block first, so nothing is
    // overwritten before it was read.
    uint64_t end = size;
    while (end > from) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kMoveBlock, end - from));
      end -= n;
      if (!ReadExactlyAt(descriptor_, block.data(), n, end) ||
          !WriteAt(descriptor_, block.data(), n, end + (to - from)))
        return false;
    }
  } else {
    for (uint64_t at = from; at < size;) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(kMoveBlock, size - at));
      if (!ReadExactlyAt(descriptor_, block.data(), n, at) ||
          !WriteAt(descriptor_, block.data(), n, at - (from - to)))
        return false;
      at += n;
    }
  }
  return true;
}

void DescriptorStream::insert(const TagLib::ByteVector& data, unsigned long start,
                              unsigned long replace) {
  if (readOnly_) {
    failed_ = true;
    return;
  }
  const uint64_t size = data.size();
  if (size > replace) {
    if (!MoveTail(uint64_t{start} + replace, uint64_t{start} + size)) failed_ = true;
  } else if (size < replace) {
    const uint64_t oldLength = static_cast<uint64_t>(length());
    if (!MoveTail(uint64_t{start} + replace, uint64_t{start} + size) ||
        !TruncateDescriptor(descriptor_, oldLength - (replace - size)))
      failed_ = true;
  }
  if (!failed_ && !WriteAt(descriptor_, data.data(), data.size(), start)) failed_ = true;
  position_ = uint64_t{start} + size;
}

void DescriptorStream::removeBlock(unsigned long start, unsigned long length) {
  if (readOnly_) {
    failed_ = true;
    return;
  }
  const uint64_t size = static_cast<uint64_t>(this->length());
  if (start >= size || length == 0) return;
  const uint64_t removed = std::min<uint64_t>(length, size - start);
  if (!MoveTail(uint64_t{start} + removed, start) ||
      !TruncateDescriptor(descriptor_, size - removed))
    failed_ = true;
  position_ = start;
}

void DescriptorStream::seek(long offset, Position p) {
  long long base = 0;
  if (p == Current) base = static_cast<long long>(position_);
  if (p == End) base = length();
  const long long target = base + offset;
  position_ = target < 0 ? 0 : static_cast<uint64_t>(target);
}

void DescriptorStream::truncate(long length) {
  if (readOnly_ || length < 0 || !TruncateDescriptor(descriptor_, static_cast<uint64_t>(length)))
    failed_ = true;
}
