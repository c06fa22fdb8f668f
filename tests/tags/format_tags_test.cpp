// The tempo in the tags of the formats beside MPEG audio and WAVE, on files
// made here by Debian's ffmpeg and sox: FLAC, Ogg Vorbis and Opus (Vorbis
// comment BPM), M4A with AAC and ALAC (MP4 tmpo), AIFF and AIFF-C (ID3v2
// TBPM). After every write, ffmpeg decodes the same audio as before and
// ffprobe reads the same other tags, and the tempo where each format keeps
// it; formats we do not tag are refused unchanged.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tags/tempo_tag.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<char>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a command prints, line by line, sorted.
std::vector<std::string> Lines(const std::string& command) {
  std::vector<std::string> lines;
  if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      std::string text = line;
      while (!text.empty() && text.back() == '\n') text.pop_back();
      lines.push_back(text);
    }
    pclose(pipe);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// The audio as ffmpeg decodes it, as an MD5 sum.
std::string DecodedAudio(const std::string& path) {
  const std::vector<std::string> sum =
      Lines("ffmpeg -v error -i '" + path + "' -map 0:a -f md5 - </dev/null");
  return sum.empty() ? "" : sum[0];
}

// Every tag ffprobe reads, of the file and of its streams, its name in
// capitals: Vorbis comment names do not depend on case, and TagLib writes
// them in capitals.
std::vector<std::string> ProbedTags(const std::string& path) {
  std::vector<std::string> tags = Lines(
      "ffprobe -v error -show_entries format_tags:stream_tags -of default=nw=1 '" + path + "'");
  for (std::string& tag : tags)
    if (tag.find('=') != std::string::npos)
      std::transform(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(tag.find('=')),
                     tag.begin(), [](unsigned char c) { return std::toupper(c); });
  std::sort(tags.begin(), tags.end());
  return tags;
}

bool IsTempoTag(const std::string& tag) {
  std::string key = tag.substr(0, tag.find('='));
  std::transform(key.begin(), key.end(), key.begin(),
                 [](unsigned char c) { return std::toupper(c); });
  return key == "TAG:BPM" || key == "TAG:TBPM";
}

std::vector<std::string> WithoutTempo(std::vector<std::string> tags) {
  std::erase_if(tags, IsTempoTag);
  return tags;
}

// The whole number in an MP4 file's "tmpo" item, read from its bytes: the
// item's "data" box of type 21 (an integer) holds it in 2 bytes.
int Mp4Tmpo(const std::string& path) {
  const Bytes bytes = ReadAll(path);
  const std::string text(bytes.begin(), bytes.end());
  const size_t at = text.find("tmpo");
  if (at == std::string::npos || at + 22 > text.size() || text.compare(at + 8, 4, "data") != 0 ||
      text[at + 15] != 21)
    return -1;
  return static_cast<unsigned char>(text[at + 20]) << 8 | static_cast<unsigned char>(text[at + 21]);
}

class FormatTags : public ::testing::Test {
 protected:
  void SetUp() override {
    wave_ = folder_.File("tone.wav");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i sine=frequency=440:duration=12 -ac 2 '" +
                           wave_ + "' </dev/null >/dev/null 2>&1")
                              .c_str()),
              0)
        << "make test installs ffmpeg";
  }

  // The tone encoded by ffmpeg with `options`, titled and with an artist.
  std::string Encoded(const std::string& name, const std::string& options) {
    const std::string path = folder_.File(name);
    const std::string command = "ffmpeg -v error -y -i '" + wave_ + "' " + options +
                                " -metadata title='A Title' -metadata artist='An Artist' '" + path +
                                "' </dev/null >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
  }

  std::string BySox(const std::string& name) {
    const std::string path = folder_.File(name);
    EXPECT_EQ(std::system(("sox '" + wave_ + "' '" + path + "' >/dev/null 2>&1").c_str()), 0);
    return path;
  }

  // Writes 127.456 with two decimals and checks what every write keeps.
  void WriteAndCheck(const std::string& path, const std::string& expectedText) {
    const std::string audio = DecodedAudio(path);
    ASSERT_FALSE(audio.empty());
    const std::vector<std::string> tags = WithoutTempo(ProbedTags(path));
    const TempoTagWriting written = WriteTempoTag(path, 127.456, 2);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.text, expectedText);
    const TempoTagReading read = ReadTempoTag(path);
    EXPECT_EQ(read.status, TempoTagReading::Status::kTempo) << read.error;
    EXPECT_EQ(read.text, expectedText);
    EXPECT_EQ(DecodedAudio(path), audio) << "the audio changed";
    const std::vector<std::string> after = ProbedTags(path);
    EXPECT_EQ(WithoutTempo(after), tags);
    if (path.find(".m4a") != std::string::npos) {
      EXPECT_EQ(Mp4Tmpo(path), std::atoi(expectedText.c_str()));
    } else {
      EXPECT_EQ(std::count_if(after.begin(), after.end(),
                              [&](const std::string& tag) {
                                return IsTempoTag(tag) &&
                                       tag.substr(tag.find('=') + 1) == expectedText;
                              }),
                1)
          << "ffprobe reads one tempo tag with the tempo written";
    }
    EXPECT_EQ(std::count_if(after.begin(), after.end(), IsTempoTag),
              path.find(".m4a") != std::string::npos ? 0 : 1);
  }

  TempFolder folder_;
  std::string wave_;
};

TEST_F(FormatTags, VorbisCommentsGetBpm) {
  WriteAndCheck(Encoded("a.flac", ""), "127.46");
  WriteAndCheck(Encoded("b.ogg", "-c:a libvorbis"), "127.46");
  WriteAndCheck(Encoded("c.opus", "-c:a libopus"), "127.46");
}

TEST_F(FormatTags, Mp4GetsAWholeTmpo) {
  WriteAndCheck(Encoded("aac.m4a", "-c:a aac"), "127");
  WriteAndCheck(Encoded("alac.m4a", "-c:a alac"), "127");
}

TEST_F(FormatTags, AiffGetsAnId3Chunk) {
  WriteAndCheck(BySox("a.aiff"), "127.46");
  WriteAndCheck(BySox("b.aifc"), "127.46");
}

TEST_F(FormatTags, AnExistingTempoIsReadAndReplaced) {
  const std::string flac = Encoded("old.flac", "-metadata BPM=99");
  TempoTagReading read = ReadTempoTag(flac);
  EXPECT_EQ(read.status, TempoTagReading::Status::kTempo);
  EXPECT_DOUBLE_EQ(read.bpm, 99);
  WriteAndCheck(flac, "127.46");
  const std::string m4a = Encoded("old.m4a", "-c:a aac");
  ASSERT_TRUE(WriteTempoTag(m4a, 88, 0).ok);
  WriteAndCheck(m4a, "127");
}

TEST_F(FormatTags, HardLinkedFlacKeepsItsInode) {
  const std::string path = Encoded("linked.flac", "");
  const std::string other = folder_.File("other.flac");
  ASSERT_EQ(link(path.c_str(), other.c_str()), 0);
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  WriteAndCheck(path, "127.46");
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(ReadTempoTag(other).text, "127.46");
}

TEST_F(FormatTags, FormatsWeDoNotTagAreRefusedUnchanged) {
  for (const std::string& path : {Encoded("a.wma", "-c:a wmav2"), Encoded("a.mka", "-c:a flac"),
                                  Encoded("a.oga", "-c:a flac -f ogg")}) {
    SCOPED_TRACE(path);
    const Bytes before = ReadAll(path);
    const TempoTagWriting written = WriteTempoTag(path, 120, 0);
    EXPECT_FALSE(written.ok);
    EXPECT_EQ(written.error.rfind("not a supported format", 0), 0u) << written.error;
    EXPECT_TRUE(ReadAll(path) == before);
  }
  // A FLAC file whose metadata runs past its end.
  const std::string broken = folder_.File("broken.flac");
  {
    std::ofstream out(broken, std::ios::binary);
    out.write("fLaC\x80\x00\x00\x22", 8);
  }
  const Bytes before = ReadAll(broken);
  EXPECT_FALSE(WriteTempoTag(broken, 120, 0).ok);
  EXPECT_TRUE(ReadAll(broken) == before);
}

}  // namespace
