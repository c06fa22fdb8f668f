// TagLib's stream over our descriptors: the moves TagLib asks for when a
// tag grows or shrinks (insert, removeBlock) must leave exactly the bytes a
// plain string edit gives, for blocks larger than the stream's own copy
// block too, and a stream on a read-only view must refuse every change.
#include "tags/descriptor_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/path.h"
#include "platform/utf8_path.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Pattern(size_t size, int seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 31 + seed) % 251);
  return s;
}

// A file holding `content`, open for reading and writing.
class StreamFile {
 public:
  explicit StreamFile(const std::string& content) {
    path_ = JoinPath(folder_.Path(), "stream.bin");
    std::FILE* file = OpenStdioFile(path_, "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    descriptor_ = OpenDescriptor(path_, FileAccess::kReadWrite);
  }
  ~StreamFile() { CloseDescriptor(descriptor_); }
  int Descriptor() const { return descriptor_; }
  std::string Content() const {
    std::string content;
    char buffer[65536];
    long long got;
    uint64_t offset = 0;
    while ((got = ReadAt(descriptor_, buffer, sizeof buffer, offset)) > 0) {
      content.append(buffer, static_cast<size_t>(got));
      offset += static_cast<uint64_t>(got);
    }
    return content;
  }

 private:
  TempFolder folder_;
  std::string path_;
  int descriptor_ = -1;
};

TagLib::ByteVector Bytes(const std::string& s) {
  return TagLib::ByteVector(s.data(), static_cast<unsigned int>(s.size()));
}

}  // namespace

TEST(DescriptorStream, InsertAndRemoveEditTheFileAsAStringEditWould) {
  // Sizes around the stream's copy block (1 MiB) catch an overlap error.
  for (const size_t size : {size_t{100}, size_t{(1 << 20) + 4097}, size_t{3 << 20}}) {
    std::string expected = Pattern(size, 7);
    StreamFile file(expected);
    ASSERT_GE(file.Descriptor(), 0);
    DescriptorStream stream(file.Descriptor(), false);
    EXPECT_EQ(stream.length(), static_cast<long>(size));

    const std::string grown = Pattern(5000, 3);  // replaces 10 bytes: the rest moves on
    stream.insert(Bytes(grown), 40, 10);
    expected.replace(40, 10, grown);
    ASSERT_EQ(file.Content(), expected) << size;

    const std::string same = Pattern(20, 9);  // same size: only overwritten
    stream.insert(Bytes(same), 0, 20);
    expected.replace(0, 20, same);
    ASSERT_EQ(file.Content(), expected) << size;

    const std::string shrunk = "tag";  // replaces 4000 bytes: the rest moves back
    stream.insert(Bytes(shrunk), 50, 4000);
    expected.replace(50, 4000, shrunk);
    ASSERT_EQ(file.Content(), expected) << size;

    stream.removeBlock(10, 30);
    expected.erase(10, 30);
    ASSERT_EQ(file.Content(), expected) << size;
    EXPECT_EQ(stream.length(), static_cast<long>(expected.size()));
    EXPECT_FALSE(stream.Failed());
  }
}

TEST(DescriptorStream, ReadsSeeksAndWritesFollowOneRunningPosition) {
  StreamFile file("0123456789");
  DescriptorStream stream(file.Descriptor(), false);
  EXPECT_EQ(stream.readBlock(4), Bytes("0123"));
  EXPECT_EQ(stream.tell(), 4);
  stream.seek(-2, TagLib::IOStream::End);
  EXPECT_EQ(stream.readBlock(100), Bytes("89"));  // cut at the end
  EXPECT_TRUE(stream.readBlock(1).isEmpty());
  stream.seek(1, TagLib::IOStream::Beginning);
  stream.seek(2, TagLib::IOStream::Current);
  stream.writeBlock(Bytes("ab"));
  EXPECT_EQ(stream.tell(), 5);
  stream.seek(0, TagLib::IOStream::End);
  stream.writeBlock(Bytes("\n\r\n"));  // binary: no line end translation
  stream.truncate(12);
  EXPECT_EQ(file.Content(), "012ab56789\n\r");
  EXPECT_FALSE(stream.Failed());
}

TEST(DescriptorStream, AReadOnlyStreamChangesNothingAndSaysSo) {
  StreamFile file("0123456789");
  DescriptorStream stream(file.Descriptor(), true);
  EXPECT_TRUE(stream.readOnly());
  stream.writeBlock(Bytes("xx"));
  stream.insert(Bytes("yy"), 0, 0);
  stream.removeBlock(0, 3);
  stream.truncate(2);
  EXPECT_TRUE(stream.Failed());
  EXPECT_EQ(file.Content(), "0123456789");
}
