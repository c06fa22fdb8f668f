// Round trips of the TBPM tag through real files: MP3s made by Debian's lame
// (ID3v2.3 tags, ID3v1 tags, pictures, padding) and ffmpeg (ID3v2.4), and WAV
// files. After every write the audio, and everything after the ID3v2 tag, is
// compared byte for byte with the file before; no frame comes or goes, and
// every tag reads the same in ffprobe (a reader we did not write), which must
// also read the new TBPM. Writes broken off by a killed process or a file
// size limit leave the original whole.
#include "tags/tempo_tag.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tags/copy_beside.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<char>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PutLittleEndian(Bytes& bytes, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

// A 16-bit stereo PCM WAV file of a 440 Hz tone, data chunk at byte 36.
Bytes ToneWave(double seconds) {
  const uint32_t rate = 44100;
  const auto frames = static_cast<uint32_t>(seconds * rate);
  Bytes wave = {'R', 'I', 'F', 'F'};
  PutLittleEndian(wave, 36 + frames * 4, 4);
  for (char c : std::string("WAVEfmt ")) wave.push_back(c);
  PutLittleEndian(wave, 16, 4);
  PutLittleEndian(wave, 1, 2);  // PCM
  PutLittleEndian(wave, 2, 2);
  PutLittleEndian(wave, rate, 4);
  PutLittleEndian(wave, rate * 4, 4);
  PutLittleEndian(wave, 4, 2);
  PutLittleEndian(wave, 16, 2);
  for (char c : std::string("data")) wave.push_back(c);
  PutLittleEndian(wave, frames * 4, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const auto sample = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
    PutLittleEndian(wave, static_cast<uint16_t>(sample), 2);
    PutLittleEndian(wave, static_cast<uint16_t>(sample), 2);
  }
  return wave;
}

// Length of the ID3v2 tag the bytes start with (header, body, footer), or 0.
size_t Id3v2Length(const Bytes& bytes) {
  if (bytes.size() < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') return 0;
  size_t size = 0;
  for (int i = 6; i < 10; ++i) size = size << 7 | (static_cast<unsigned char>(bytes[i]) & 0x7F);
  return 10 + size + ((bytes[5] & 0x10) != 0 ? 10 : 0);
}

// Everything after the ID3v2 tag: the audio, and any ID3v1 or APE tag.
Bytes AfterId3v2(const Bytes& bytes) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(Id3v2Length(bytes)), bytes.end());
}

// The identifiers of every ID3v2 frame but TBPM, as TagLib reads them,
// sorted: no frame may go or come.
std::vector<std::string> OtherFrameIds(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  std::vector<std::string> ids;
  if (!file.hasID3v2Tag()) return ids;
  for (TagLib::ID3v2::Frame* frame : file.ID3v2Tag()->frameList()) {
    const std::string id(frame->frameID().data(), frame->frameID().size());
    if (id != "TBPM") ids.push_back(id);
  }
  std::sort(ids.begin(), ids.end());
  return ids;
}

// The file's tags as ffprobe reads them ("TAG:title=..."), sorted. TagLib
// reads an ID3v2.3 tag into ID3v2.4 frames and writes them back as ID3v2.3,
// which may change a frame's text encoding or place, never what it says.
std::vector<std::string> FfprobeTags(const std::string& path) {
  const std::string command =
      "ffprobe -v error -show_entries format_tags -of default=nw=1 '" + path + "' 2>/dev/null";
  std::vector<std::string> tags;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char line[4096];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      std::string tag = line;
      while (!tag.empty() && tag.back() == '\n') tag.pop_back();
      tags.push_back(tag);
    }
    pclose(pipe);
  }
  std::sort(tags.begin(), tags.end());
  return tags;
}

std::vector<std::string> WithoutTbpm(std::vector<std::string> tags) {
  std::erase_if(tags, [](const std::string& tag) { return tag.rfind("TAG:TBPM=", 0) == 0; });
  return tags;
}

int TbpmFrameCount(const std::string& path) {
  TagLib::MPEG::File file(path.c_str(), false);
  return file.hasID3v2Tag() ? static_cast<int>(file.ID3v2Tag()->frameList("TBPM").size()) : 0;
}

ino_t InodeOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

class TempoTagFile : public ::testing::Test {
 protected:
  // Long enough that TagLib keeps a tag's padding: it drops padding above
  // 1 % of the file's size.
  void SetUp() override { WriteAll(WavePath(), ToneWave(8)); }

  std::string WavePath() const { return folder_.File("tone.wav"); }

  // An MP3 of the tone made by lame with the given options (tags).
  std::string Lame(const std::string& name, const std::string& options) {
    const std::string path = folder_.File(name);
    const std::string command =
        "lame --quiet -b 128 " + options + " '" + WavePath() + "' '" + path + "' >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command << " (make test installs lame)";
    return path;
  }

  // A tiny PNG picture, made by ffmpeg.
  std::string Picture() {
    const std::string path = folder_.File("cover.png");
    const std::string command = "ffmpeg -v error -y -f lavfi -i color=red:s=16x16 -frames:v 1 '" +
                                path + "' </dev/null >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
  }

  // Writes and checks what every write must keep: the tag reads back, one
  // TBPM frame, every other frame and every byte after the ID3v2 tag as
  // before.
  TempoTagWriting WriteAndCheck(const std::string& path, double bpm, int decimals,
                                const std::string& expectedText) {
    const Bytes before = ReadAll(path);
    const std::vector<std::string> framesBefore = OtherFrameIds(path);
    const std::vector<std::string> tagsBefore = WithoutTbpm(FfprobeTags(path));
    const TempoTagWriting written = WriteTempoTag(path, bpm, decimals);
    EXPECT_TRUE(written.ok) << written.error;
    EXPECT_EQ(written.text, expectedText);
    const TempoTagReading read = ReadTempoTag(path);
    EXPECT_EQ(read.status, TempoTagReading::Status::kTempo) << read.error;
    EXPECT_EQ(read.text, expectedText);
    EXPECT_EQ(TbpmFrameCount(path), 1);
    // A new ID3v2 tag over an ID3v1 tag repeats its fields (ffprobe below
    // reads the same); otherwise no frame comes or goes.
    const bool onlyId3v1 = Id3v2Length(before) == 0 && before.size() >= 128 &&
                           std::string(before.end() - 128, before.end() - 125) == "TAG";
    if (!onlyId3v1) {
      EXPECT_EQ(OtherFrameIds(path), framesBefore);
    }
    const std::vector<std::string> tagsAfter = FfprobeTags(path);
    EXPECT_EQ(WithoutTbpm(tagsAfter), tagsBefore);
    EXPECT_EQ(std::count(tagsAfter.begin(), tagsAfter.end(), "TAG:TBPM=" + expectedText), 1)
        << "ffprobe reads the tempo written";
    const Bytes after = ReadAll(path);
    EXPECT_TRUE(AfterId3v2(after) == AfterId3v2(before)) << "audio or trailing tags changed";
    return written;
  }

  TempFolder folder_;
};

TEST_F(TempoTagFile, FileWithoutTagGetsAnId3v23Tag) {
  const std::string path = Lame("plain.mp3", "");
  ASSERT_EQ(Id3v2Length(ReadAll(path)), 0u);
  EXPECT_EQ(ReadTempoTag(path).status, TempoTagReading::Status::kNoTempo);
  const TempoTagWriting written = WriteAndCheck(path, 119.77, 0, "120");
  EXPECT_FALSE(written.inPlace);  // the audio had to move
  EXPECT_EQ(ReadAll(path)[3], 3) << "ID3v2.3";
  EXPECT_DOUBLE_EQ(ReadTempoTag(path).bpm, 120);
  EXPECT_EQ(FolderEntries(folder_.Path()).size(), 2u) << "a temporary file was left";
}

TEST_F(TempoTagFile, Id3v23TagKeepsTitleArtistAndPicture) {
  // With frames ID3v2.4 dropped (TSIZ, TRDA), which TagLib would discard.
  const std::string path = Lame("v23.mp3",
                                "--id3v2-only --tt 'A Title' --ta 'An Artist' --ty 1999 "
                                "--tv TDAT=0304 --tv TSIZ=1234 --tv 'TRDA=March 4' --ti '" +
                                    Picture() + "'");
  ASSERT_EQ(ReadAll(path)[3], 3) << "lame writes ID3v2.3";
  const std::vector<std::string> tags = FfprobeTags(path);
  for (const char* tag : {"TAG:title=A Title", "TAG:artist=An Artist", "TAG:TSIZ=1234",
                          "TAG:TRDA=March 4", "TAG:date=1999-04-03"})
    EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
  WriteAndCheck(path, 128, 2, "128.00");
  EXPECT_EQ(ReadAll(path)[3], 3) << "the version stays";
  {
    TagLib::MPEG::File file(path.c_str(), false);
    ASSERT_TRUE(file.hasID3v2Tag());
    EXPECT_EQ(file.ID3v2Tag()->title(), "A Title");
    EXPECT_EQ(file.ID3v2Tag()->artist(), "An Artist");
    const TagLib::ID3v2::FrameList pictures = file.ID3v2Tag()->frameList("APIC");
    ASSERT_EQ(pictures.size(), 1u);
    const auto* picture = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
    ASSERT_NE(picture, nullptr);
    const Bytes png = ReadAll(folder_.File("cover.png"));
    EXPECT_EQ(std::string(picture->picture().data(), picture->picture().size()),
              std::string(png.begin(), png.end()));
  }
  // The tag now has room: a second tempo is written in place.
  const ino_t inode = InodeOf(path);
  const size_t size = ReadAll(path).size();
  EXPECT_TRUE(WriteAndCheck(path, 64.3, 1, "64.3").inPlace);
  EXPECT_EQ(InodeOf(path), inode);
  EXPECT_EQ(ReadAll(path).size(), size);
}

TEST_F(TempoTagFile, PaddedTagIsOverwrittenInPlace) {
  const std::string path = Lame("padded.mp3", "--id3v2-only --pad-id3v2-size 256 --tt Padded");
  const ino_t inode = InodeOf(path);
  const size_t size = ReadAll(path).size();
  EXPECT_TRUE(WriteAndCheck(path, 140.2, 0, "140").inPlace);
  EXPECT_EQ(InodeOf(path), inode);
  EXPECT_EQ(ReadAll(path).size(), size);
}

TEST_F(TempoTagFile, Id3v24TagByFfmpegStaysId3v24) {
  const std::string plain = Lame("plain.mp3", "");
  const std::string path = folder_.File("v24.mp3");
  const std::string command = "ffmpeg -v error -y -i '" + plain +
                              "' -c copy -id3v2_version 4 -metadata title='Four' -metadata "
                              "artist='Ffmpeg' -metadata TBPM=99 '" +
                              path + "' </dev/null >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  ASSERT_EQ(ReadAll(path)[3], 4) << "ffmpeg writes ID3v2.4";
  const TempoTagReading before = ReadTempoTag(path);
  EXPECT_EQ(before.status, TempoTagReading::Status::kTempo);
  EXPECT_DOUBLE_EQ(before.bpm, 99);
  WriteAndCheck(path, 174.96, 2, "174.96");
  EXPECT_EQ(ReadAll(path)[3], 4);
}

TEST_F(TempoTagFile, Id3v1TagStaysAtTheEnd) {
  for (const char* options : {"--id3v1-only --tt Old --ta Tagger", "--add-id3v2 --tt Both"}) {
    SCOPED_TRACE(options);
    const std::string path = Lame("v1.mp3", options);
    const Bytes before = ReadAll(path);
    ASSERT_EQ(std::string(before.end() - 128, before.end() - 125), "TAG");
    WriteAndCheck(path, 93.1, 0, "93");  // compares the ID3v1 tag too
    const Bytes after = ReadAll(path);
    EXPECT_TRUE(Bytes(after.end() - 128, after.end()) == Bytes(before.end() - 128, before.end()));
  }
}

TEST_F(TempoTagFile, HundredthsAndDecimalTagsReadAndAreReplaced) {
  const std::string hundredths = Lame("h.mp3", "--id3v2-only --tv TBPM=12800");
  TempoTagReading read = ReadTempoTag(hundredths);
  EXPECT_EQ(read.status, TempoTagReading::Status::kTempo);
  EXPECT_DOUBLE_EQ(read.bpm, 128);
  EXPECT_EQ(read.text, "12800");
  WriteAndCheck(hundredths, 127.5, 1, "127.5");

  const std::string decimals = Lame("d.mp3", "--id3v2-only --tv TBPM=119.77");
  read = ReadTempoTag(decimals);
  EXPECT_EQ(read.status, TempoTagReading::Status::kTempo);
  EXPECT_DOUBLE_EQ(read.bpm, 119.77);

  const std::string words = Lame("w.mp3", "--id3v2-only --tv TBPM=fast");
  read = ReadTempoTag(words);
  EXPECT_EQ(read.status, TempoTagReading::Status::kNoTempo);
  EXPECT_EQ(read.text, "fast");
}

TEST_F(TempoTagFile, ReadOnlyFileIsLeftAsItWas) {
  const std::string path = Lame("ro.mp3", "--id3v2-only --pad-id3v2-size 256 --tt Locked");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  const Bytes before = ReadAll(path);
  const TempoTagWriting written = WriteTempoTag(path, 120, 0);
  EXPECT_FALSE(written.ok);
  EXPECT_NE(written.error.find("read-only"), std::string::npos) << written.error;
  EXPECT_TRUE(ReadAll(path) == before);
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0444u);
}

TEST_F(TempoTagFile, RewriteKeepsPermissionsAndLinks) {
  const std::string path = Lame("perm.mp3", "");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const std::string link = folder_.File("link.mp3");
  ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
  const TempoTagWriting written = WriteTempoTag(link, 100, 0);
  ASSERT_TRUE(written.ok) << written.error;
  EXPECT_FALSE(written.inPlace);
  struct stat status {};
  ASSERT_EQ(lstat(link.c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link was replaced by a file";
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadTempoTag(path).text, "100");
}

TEST_F(TempoTagFile, WaveFileGetsAnId3Chunk) {
  const std::string path = folder_.File("copy.wav");
  const Bytes before = ToneWave(1);
  WriteAll(path, before);
  const TempoTagWriting written = WriteTempoTag(path, 121.456, 2);
  ASSERT_TRUE(written.ok) << written.error;
  EXPECT_EQ(written.text, "121.46");
  EXPECT_DOUBLE_EQ(ReadTempoTag(path).bpm, 121.46);
  // The format and data chunks are where they were, unchanged.
  const Bytes after = ReadAll(path);
  ASSERT_GT(after.size(), before.size());
  EXPECT_TRUE(
      Bytes(after.begin() + 8, after.begin() + static_cast<std::ptrdiff_t>(before.size())) ==
      Bytes(before.begin() + 8, before.end()));
}

TEST_F(TempoTagFile, OtherFilesAreRefusedUnchanged) {
  // An MPEG stream in a RIFF wrapper, which TagLib cannot tag.
  const std::string riff = folder_.File("wrapped.rmp");
  Bytes bytes = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M', 'P', '3'};
  WriteAll(riff, bytes);
  TempoTagWriting written = WriteTempoTag(riff, 120, 0);
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.error.rfind("not a supported format", 0), 0u) << written.error;
  EXPECT_TRUE(ReadAll(riff) == bytes);

  const std::string text = folder_.File("notes.mp3");
  bytes = Bytes(2000, 'x');
  WriteAll(text, bytes);
  written = WriteTempoTag(text, 120, 0);
  EXPECT_FALSE(written.ok);
  EXPECT_FALSE(written.error.empty());
  EXPECT_TRUE(ReadAll(text) == bytes);

  written = WriteTempoTag(folder_.File("missing.mp3"), 120, 0);
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(ReadTempoTag(folder_.File("missing.mp3")).status, TempoTagReading::Status::kError);
  EXPECT_EQ(ReadTempoTag(folder_.Path()).status, TempoTagReading::Status::kError);
  EXPECT_FALSE(WriteTempoTag(Lame("x.mp3", ""), 640, 0).ok) << "not a tempo a tag holds";
}

// Runs a tag write in a child process under a file size limit of `limit`
// bytes, and returns the child's wait status. With the default action,
// crossing the limit kills the child (SIGXFSZ) in the middle of a write;
// ignored, the write fails as on a full disk (EFBIG), and the child exits 0
// when the write reported the failure, 1 when it claimed success.
int WriteUnderSizeLimit(const std::string& path, rlim_t limit, bool killed) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit size{limit, limit};
    setrlimit(RLIMIT_FSIZE, &size);
    std::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
    _exit(WriteTempoTag(path, 120, 0).ok ? 1 : 0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST_F(TempoTagFile, KilledWriterLeavesTheOriginalWhole) {
  const std::string path = Lame("killed.mp3", "--id3v2-only --tt 'Keep Me'");
  const Bytes before = ReadAll(path);
  // Killed while copying, and while TagLib moves the audio in the copy.
  for (rlim_t limit :
       {static_cast<rlim_t>(before.size() / 2), static_cast<rlim_t>(before.size())}) {
    const int status = WriteUnderSizeLimit(path, limit, true);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "limit " << limit;
    EXPECT_TRUE(ReadAll(path) == before) << "limit " << limit;
  }
  // What a killed writer leaves beside the file is a hidden temporary file.
  for (const std::string& name : FolderEntries(folder_.Path())) {
    if (name == "killed.mp3" || name == "tone.wav") continue;
    EXPECT_EQ(name.rfind(".killed.mp3.tempyra-", 0), 0u) << name;
  }
}

TEST_F(TempoTagFile, FullDiskFailsCleanly) {
  const std::string path = Lame("full.mp3", "--id3v2-only --tt 'Keep Me'");
  const Bytes before = ReadAll(path);
  for (rlim_t limit :
       {static_cast<rlim_t>(before.size() / 2), static_cast<rlim_t>(before.size())}) {
    const int status = WriteUnderSizeLimit(path, limit, false);
    ASSERT_TRUE(WIFEXITED(status)) << "limit " << limit;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a failed write reported as done, limit " << limit;
    EXPECT_TRUE(ReadAll(path) == before) << "limit " << limit;
    EXPECT_EQ(FolderEntries(folder_.Path()).size(), 2u) << "a temporary file was left";
  }
  // A tag that fits in place needs no room: it is written even then.
  const std::string padded = Lame("padded.mp3", "--id3v2-only --pad-id3v2-size 256");
  const int status = WriteUnderSizeLimit(padded, static_cast<rlim_t>(ReadAll(padded).size()), true);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << "the in-place write failed";
  EXPECT_EQ(ReadTempoTag(padded).text, "120");
}

nlink_t LinksOf(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_nlink : 0;
}

// The hidden files a write left beside `name`.
std::vector<std::string> LeftBeside(const std::string& folder, const std::string& name) {
  std::vector<std::string> left;
  for (const std::string& entry : FolderEntries(folder))
    if (entry.rfind("." + name + ".", 0) == 0) left.push_back(entry);
  return left;
}

TEST_F(TempoTagFile, HardLinksKeepSharingTheTaggedFile) {
  const std::string mp3 = Lame("linked.mp3", "--id3v2-only --tt 'Linked'");
  const std::string wave = folder_.File("linked.wav");
  WriteAll(wave, ToneWave(1));
  for (const std::string& path : {mp3, wave}) {
    SCOPED_TRACE(path);
    const std::string other = path + ".other";
    ASSERT_EQ(link(path.c_str(), other.c_str()), 0);
    const ino_t inode = InodeOf(path);
    const TempoTagWriting written = WriteTempoTag(path, 123.4, 1);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_FALSE(written.inPlace) << "the tag had no room: the audio moved";
    EXPECT_EQ(InodeOf(path), inode);
    EXPECT_EQ(LinksOf(path), 2u);
    EXPECT_TRUE(ReadAll(other) == ReadAll(path));
    EXPECT_EQ(ReadTempoTag(other).text, "123.4");
    EXPECT_TRUE(LeftBeside(folder_.Path(), path.substr(path.rfind('/') + 1)).empty());
  }
  // The audio, and ffprobe's view of the tag, as for any other write.
  const std::string fresh = Lame("fresh.mp3", "--id3v2-only --tt 'Fresh'");
  ASSERT_EQ(link(fresh.c_str(), folder_.File("fresh.again").c_str()), 0);
  WriteAndCheck(fresh, 99.5, 2, "99.50");
}

TEST_F(TempoTagFile, HardLinkedFileWhoseWriteFailsIsPutBack) {
  const std::string path = Lame("full.mp3", "--id3v2-only --tt 'Keep Me'");
  ASSERT_EQ(link(path.c_str(), folder_.File("full.other").c_str()), 0);
  const Bytes before = ReadAll(path);
  const ino_t inode = InodeOf(path);
  // The backup fits under the limit, the longer tagged file does not.
  const int status = WriteUnderSizeLimit(path, static_cast<rlim_t>(before.size()), false);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a failed write reported as done";
  EXPECT_TRUE(ReadAll(path) == before);
  EXPECT_EQ(InodeOf(path), inode);
  EXPECT_EQ(LinksOf(path), 2u);
  EXPECT_TRUE(LeftBeside(folder_.Path(), "full.mp3").empty());
  // No room even for the backup: refused before the file is touched.
  const int noRoom = WriteUnderSizeLimit(path, static_cast<rlim_t>(before.size() / 2), false);
  ASSERT_TRUE(WIFEXITED(noRoom));
  EXPECT_EQ(WEXITSTATUS(noRoom), 0);
  EXPECT_TRUE(ReadAll(path) == before);
  EXPECT_TRUE(LeftBeside(folder_.Path(), "full.mp3").empty());
}

TEST_F(TempoTagFile, KilledWriterOfAHardLinkedFileLeavesItOrItsBackup) {
  const std::string path = Lame("killed.mp3", "--id3v2-only --tt 'Keep Me'");
  ASSERT_EQ(link(path.c_str(), folder_.File("killed.other").c_str()), 0);
  const Bytes before = ReadAll(path);
  const int status = WriteUnderSizeLimit(path, static_cast<rlim_t>(before.size()), true);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
  EXPECT_EQ(LinksOf(path), 2u);
  const std::vector<std::string> left = LeftBeside(folder_.Path(), "killed.mp3");
  if (ReadAll(path) != before) {
    // Killed while the file itself was written: the backup holds it whole.
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].rfind(".killed.mp3.tempyra-backup-", 0), 0u) << left[0];
    EXPECT_TRUE(ReadAll(folder_.File(left[0])) == before);
  }
}

TEST(WriteFailureReasons, CommonCausesComeFirst) {
  EXPECT_EQ(WriteFailureReason(FileAction::kCreateInFolder, "cannot make", EACCES),
            "the folder is read-only (cannot make: " + std::string(std::strerror(EACCES)) + ")");
  EXPECT_EQ(WriteFailureReason(FileAction::kCreateInFolder, "x", EROFS)
                .rfind("the folder is read-only", 0),
            0u);
  EXPECT_EQ(
      WriteFailureReason(FileAction::kOpenFile, "x", EACCES).rfind("the file is read-only", 0), 0u);
  for (FileAction action : {FileAction::kCreateInFolder, FileAction::kWrite, FileAction::kOpenFile})
    EXPECT_EQ(WriteFailureReason(action, "x", ENOSPC).rfind("the disk is full", 0), 0u);
  EXPECT_EQ(WriteFailureReason(FileAction::kWrite, "cannot read", EIO),
            "cannot read: " + std::string(std::strerror(EIO)));
}

TEST_F(TempoTagFile, ReadOnlyFolderIsNamedAsTheCause) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string path = Lame("locked.mp3", "");
  ASSERT_EQ(chmod(folder_.Path().c_str(), 0555), 0);
  const TempoTagWriting written = WriteTempoTag(path, 120, 0);
  chmod(folder_.Path().c_str(), 0755);
  EXPECT_FALSE(written.ok);
  EXPECT_EQ(written.error.rfind("the folder is read-only", 0), 0u) << written.error;
}

}  // namespace
