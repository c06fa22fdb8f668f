// DescriptorStream: TagLib's view of a file we opened ourselves.
//
// TagLib reads and writes files through an IOStream. Its own file stream
// opens by name (so the file TagLib changes need not be the file we
// checked) and, on Windows, cannot take an open descriptor at all; this one
// works on a descriptor the tag layer opened and checked, with positional
// reads and writes, so the descriptor's own position never matters. It
// borrows the descriptor: closing stays with the owner.
//
// Unlike TagLib's streams it remembers a failed write (a full disk, a
// vanished network share): Failed() says so, and a save that TagLib
// believes done is then not trusted.
#pragma once

#include <taglib/tiostream.h>

#include <cstdint>

class DescriptorStream : public TagLib::IOStream {
 public:
  DescriptorStream(int descriptor, bool readOnly) : descriptor_(descriptor), readOnly_(readOnly) {}

  TagLib::FileName name() const override;
  TagLib::ByteVector readBlock(unsigned long length) override;
  void writeBlock(const TagLib::ByteVector& data) override;
  void insert(const TagLib::ByteVector& data, unsigned long start = 0,
              unsigned long replace = 0) override;
  void removeBlock(unsigned long start = 0, unsigned long length = 0) override;
  bool readOnly() const override { return readOnly_; }
  bool isOpen() const override { return descriptor_ >= 0; }
  void seek(long offset, Position p = Beginning) override;
  long tell() const override { return static_cast<long>(position_); }
  long length() override;
  void truncate(long length) override;

  // A read or write failed since the stream was made.
  bool Failed() const { return failed_; }

 private:
  // Moves the bytes [from, end of file) to start at `to`.
  bool MoveTail(uint64_t from, uint64_t to);

  int descriptor_;
  bool readOnly_;
  bool failed_ = false;
  uint64_t position_ = 0;
};
