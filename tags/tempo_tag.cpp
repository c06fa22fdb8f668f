// TBPM frames through TagLib. See tempo_tag.h.
//
// Every file is opened here, once, and TagLib works on that descriptor
// through a DescriptorStream: the file checked (regular, writable) is the
// file TagLib reads and writes. A write is judged by the stream's own record
// of failed writes and by what can be read back from the disk afterwards.
#include "tags/tempo_tag.h"

#include <taglib/aifffile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/wavfile.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/file_descriptor.h"
#include "tags/audio_comparison.h"
#include "tags/backup_copy.h"
#include "tags/copy_beside.h"
#include "tags/descriptor_stream.h"
#include "tags/frame_keeping_factory.h"
#include "tags/replacement_file.h"
#include "tags/tag_formats.h"
#include "tags/tempo_text.h"

namespace {

// A file descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { Close(); }
  int Get() const { return descriptor_; }
  void Close() {
    CloseDescriptor(descriptor_);
    descriptor_ = -1;
  }

 private:
  int descriptor_;
};

std::string Reason(const std::string& what, int number) {
  return what + ": " + std::strerror(number);
}

// The ID3v2 version to write: that of the tag there, if 2.3 or 2.4; 2.3
// for a new tag and for an older one.
TagLib::ID3v2::Version VersionToWrite(bool hadTag, const TagLib::ID3v2::Tag& tag) {
  return hadTag && tag.header()->majorVersion() == 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
}

std::optional<std::string> TbpmText(const TagLib::ID3v2::Tag& tag) {
  const TagLib::ID3v2::FrameList& frames = tag.frameList("TBPM");
  if (frames.isEmpty()) return std::nullopt;
  return frames.front()->toString().to8Bit(true);
}

// Puts `text` into the first TBPM frame, where it stands among the others,
// and drops any further TBPM frames; adds a frame if there is none.
void SetTbpm(TagLib::ID3v2::Tag& tag, const std::string& text) {
  const TagLib::ID3v2::FrameList frames = tag.frameList("TBPM");  // a copy: the tag's changes
  TagLib::ID3v2::TextIdentificationFrame* kept = nullptr;
  for (TagLib::ID3v2::Frame* frame : frames) {
    auto* textFrame = dynamic_cast<TagLib::ID3v2::TextIdentificationFrame*>(frame);
    if (kept == nullptr && textFrame != nullptr)
      kept = textFrame;
    else
      tag.removeFrame(frame);
  }
  if (kept == nullptr) {
    kept = new TagLib::ID3v2::TextIdentificationFrame("TBPM", TagLib::String::Latin1);
    tag.addFrame(kept);  // the tag owns it
  }
  kept->setText(TagLib::String(text, TagLib::String::Latin1));
}

// The tempo text of the file open as `descriptor`: its TBPM frame, or its
// format's own field; nothing without one.
std::optional<std::string> ReadTempoText(int descriptor, FileKind kind) {
  if (kind != FileKind::kMpeg && kind != FileKind::kWave && kind != FileKind::kAiff)
    return ReadTempoField(descriptor, kind);
  DescriptorStream stream(descriptor, true);
  if (kind == FileKind::kWave) {
    TagLib::RIFF::WAV::File file(&stream, false);
    if (!file.isValid() || !file.hasID3v2Tag()) return std::nullopt;
    return TbpmText(*file.ID3v2Tag());
  }
  if (kind == FileKind::kAiff) {
    TagLib::RIFF::AIFF::File file(&stream, false);
    if (!file.isValid() || !file.hasID3v2Tag()) return std::nullopt;
    return TbpmText(*file.tag());
  }
  FrameKeepingFactory factory;
  TagLib::MPEG::File file(&stream, &factory, false);
  if (!file.isValid() || !file.hasID3v2Tag()) return std::nullopt;
  return TbpmText(*file.ID3v2Tag(false));
}

enum class SaveOutcome { kSaved, kWouldMoveAudio, kFailed };

// Sets TBPM in the MPEG file open as `descriptor` and saves the ID3v2 tag,
// no other. With `inPlaceOnly`, saves only when the new tag has exactly the
// old one's size, so that TagLib overwrites the tag's bytes and moves
// nothing. *audioStart: where the first audio frame begins.
SaveOutcome SaveMpegTag(int descriptor, const std::string& text, bool inPlaceOnly, long* audioStart,
                        std::string* error) {
  DescriptorStream stream(descriptor, false);
  FrameKeepingFactory factory;  // outlives the file, which reads its tag with it
  TagLib::MPEG::File file(&stream, &factory, false);
  *audioStart = file.isValid() ? file.firstFrameOffset() : -1;
  if (*audioStart < 0) {
    *error = "no MPEG audio found to tag";
    return SaveOutcome::kFailed;
  }
  const bool hadTag = file.hasID3v2Tag();
  TagLib::ID3v2::Tag& tag = *file.ID3v2Tag(true);
  const unsigned oldSize = hadTag ? tag.header()->completeTagSize() : 0;
  const TagLib::ID3v2::Version version = VersionToWrite(hadTag, tag);
  // Readers take an ID3v2 tag over an ID3v1 tag: a new ID3v2 tag repeats
  // the ID3v1 tag's title, artist and the rest, or they would seem lost.
  if (!hadTag && file.hasID3v1Tag()) TagLib::Tag::duplicate(file.ID3v1Tag(), &tag, false);
  SetTbpm(tag, text);
  if (inPlaceOnly && (!hadTag || tag.render(version).size() != oldSize))
    return SaveOutcome::kWouldMoveAudio;
  if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, version,
                 TagLib::File::DoNotDuplicate) ||
      stream.Failed()) {
    *error = stream.Failed() ? "the file could not be written in full (is the disk full?)"
                             : "TagLib could not save the tag";
    return SaveOutcome::kFailed;
  }
  return SaveOutcome::kSaved;
}

// How each chunked format's TagLib file gives its ID3v2 tag and saves it.
TagLib::ID3v2::Tag& Id3v2TagOf(TagLib::RIFF::WAV::File& file) {
  return *file.ID3v2Tag();
}
TagLib::ID3v2::Tag& Id3v2TagOf(TagLib::RIFF::AIFF::File& file) {
  return *file.tag();
}
bool SaveId3v2(TagLib::RIFF::WAV::File& file, TagLib::ID3v2::Version version) {
  return file.save(TagLib::RIFF::WAV::File::ID3v2, TagLib::File::StripNone, version);
}
bool SaveId3v2(TagLib::RIFF::AIFF::File& file, TagLib::ID3v2::Version version) {
  return file.save(version);
}

// Sets TBPM in the WAVE or AIFF file (ChunkedFile) open as `descriptor` and
// saves its ID3 chunk, keeping its other chunks (a RIFF INFO list among
// them).
template <typename ChunkedFile>
bool SaveChunkedTag(int descriptor, const std::string& text, const char* formatName,
                    std::string* error) {
  DescriptorStream stream(descriptor, false);
  ChunkedFile file(&stream, false);
  if (!file.isValid()) {
    *error = std::string("not a supported format (not a ") + formatName + " file TagLib can tag)";
    return false;
  }
  const bool hadTag = file.hasID3v2Tag();
  TagLib::ID3v2::Tag& tag = Id3v2TagOf(file);
  const TagLib::ID3v2::Version version = VersionToWrite(hadTag, tag);
  SetTbpm(tag, text);
  if (!SaveId3v2(file, version) || stream.Failed()) {
    *error = stream.Failed() ? "the file could not be written in full (is the disk full?)"
                             : "TagLib could not save the tag";
    return false;
  }
  return true;
}

uint64_t SizeOf(int descriptor) {
  const std::optional<DescriptorStatus> status = StatusOfDescriptor(descriptor);
  return status ? status->size : 0;
}

// Sets TBPM in the file open as `descriptor` and saves its tag; for MPEG
// audio, *audioStart is where the first audio frame began before the save.
bool SaveTag(int descriptor, FileKind kind, const std::string& text, long* audioStart,
             std::string* error) {
  switch (kind) {
    case FileKind::kMpeg:
      return SaveMpegTag(descriptor, text, false, audioStart, error) == SaveOutcome::kSaved;
    case FileKind::kWave:
      return SaveChunkedTag<TagLib::RIFF::WAV::File>(descriptor, text, "WAVE", error);
    case FileKind::kAiff:
      return SaveChunkedTag<TagLib::RIFF::AIFF::File>(descriptor, text, "AIFF", error);
    default:
      return SaveTempoField(descriptor, kind, text, error);
  }
}

// Whether the audio of `changed` is that of `before`, byte for byte, as
// each format lays it out.
bool AudioKept(int before, int changed, FileKind kind, long audioStart) {
  const uint64_t beforeSize = SizeOf(before);
  switch (kind) {
    case FileKind::kMpeg:
      return audioStart >= 0 && static_cast<uint64_t>(audioStart) <= beforeSize &&
             SameTail(before, changed, beforeSize - static_cast<uint64_t>(audioStart));
    case FileKind::kWave:
      return SameWaveChunksApartFromId3(before, changed);
    case FileKind::kAiff:
      return SameAiffChunksApartFromId3(before, changed);
    case FileKind::kFlac:
      return SameFlacFrames(before, changed);
    case FileKind::kOggVorbis:
    case FileKind::kOggOpus:
      return SameOggPacketsApartFromComments(before, changed);
    case FileKind::kMp4:
      return SameMp4MediaData(before, changed);
    default:
      return false;
  }
}

// What TagLib wrote, checked on the disk: the tag reads back from `changed`,
// and its audio is that of `before` byte for byte.
bool WriteChecked(int before, int changed, FileKind kind, long audioStart,
                  const std::string& text) {
  return AudioKept(before, changed, kind, audioStart) && ReadTempoText(changed, kind) == text;
}

const char* const kNotWrittenInFull = "the file could not be written in full (is the disk full?)";

// Writes the tag into a checked copy beside the file and renames the copy
// over it.
// The original is closed before the copy takes its place: Windows does not
// replace a file that is open.
TempoTagWriting RewriteWithTag(const std::string& path, Descriptor& originalFile, FileKind kind,
                               const std::string& text) {
  const int original = originalFile.Get();
  TempoTagWriting result;
  // The copy goes beside the file itself, not beside a link to it.
  const std::optional<std::string> resolvedPath = ResolvedPath(path);
  if (!resolvedPath) {
    result.error = Reason("cannot resolve the file's path", errno);
    return result;
  }
  ReplacementFile copy;
  if (!copy.Create(*resolvedPath, original, &result.error)) return result;
  long audioStart = -1;
  if (!SaveTag(copy.Descriptor(), kind, text, &audioStart, &result.error)) return result;
  if (!WriteChecked(original, copy.Descriptor(), kind, audioStart, text)) {
    result.error = kNotWrittenInFull;
    return result;
  }
  originalFile.Close();
  if (!copy.Commit(&result.error)) return result;
  result.ok = true;
  result.text = text;
  return result;
}

// A file with several hard links keeps its inode, so that every link sees
// the tag: a backup copy goes beside it, the file itself is written and
// checked against the backup, and the backup is removed. A failed write is
// undone from the backup.
TempoTagWriting WriteThroughBackup(const std::string& path, int original, FileKind kind,
                                   const std::string& text) {
  TempoTagWriting result;
  const std::optional<std::string> resolvedPath = ResolvedPath(path);
  if (!resolvedPath) {
    result.error = Reason("cannot resolve the file's path", errno);
    return result;
  }
  BackupCopy backup;
  if (!backup.Create(*resolvedPath, original, &result.error)) return result;
  long audioStart = -1;
  const bool saved = SaveTag(original, kind, text, &audioStart, &result.error);
  if (saved && FlushToDisk(original) &&
      WriteChecked(backup.Descriptor(), original, kind, audioStart, text)) {
    backup.Remove();
    result.ok = true;
    result.text = text;
    return result;
  }
  if (saved) result.error = kNotWrittenInFull;
  if (!backup.Restore(original))
    result.error +=
        "; the file could not be put back as it was: its old contents are in " + backup.Path();
  return result;
}

}  // namespace

TempoTagReading ReadTempoTag(const std::string& path) {
  TempoTagReading result;
  const Descriptor file(OpenDescriptor(path, FileAccess::kRead));
  const std::optional<DescriptorStatus> status =
      file.Get() < 0 ? std::nullopt : StatusOfDescriptor(file.Get());
  if (!status) {
    result.status = TempoTagReading::Status::kError;
    result.error = Reason("cannot open the file", errno);
    return result;
  }
  if (!status->regular) {
    result.status = TempoTagReading::Status::kError;
    result.error = "not a regular file";
    return result;
  }
  const std::optional<std::string> text = ReadTempoText(file.Get(), KindOf(file.Get()));
  if (!text) return result;
  result.text = *text;
  if (const std::optional<double> bpm = ParseTempoText(*text)) {
    result.status = TempoTagReading::Status::kTempo;
    result.bpm = *bpm;
  }
  return result;
}

TempoTagWriting WriteTempoTag(const std::string& path, double bpm, int decimals) {
  TempoTagWriting result;
  if (decimals < 0 || decimals > kTagMaxDecimals) {
    result.error = "the number of decimals must be 0, 1 or 2";
    return result;
  }
  const std::optional<std::string> text = FormatTempoText(bpm, decimals);
  if (!text) {
    result.error = "not a tempo a tag can hold (1 to 500 BPM)";
    return result;
  }
  Descriptor file(OpenDescriptor(path, FileAccess::kReadWrite));
  if (file.Get() < 0) {
    const int number = errno;
    result.error = WriteFailureReason(FileAction::kOpenFile, "cannot open the file", number);
    return result;
  }
  const std::optional<DescriptorStatus> status = StatusOfDescriptor(file.Get());
  if (!status) {
    result.error = Reason("cannot read the file's status", errno);
    return result;
  }
  if (!status->regular) {
    result.error = "not a regular file";
    return result;
  }
  // Marked read-only by its permissions: not written, even where we could.
  if (!status->writable) {
    result.error = "the file is read-only";
    return result;
  }
  const FileKind kind = KindOf(file.Get());
  if (kind == FileKind::kOtherRiff || kind == FileKind::kUnsupported) {
    result.error =
        "not a supported format (tags are written into MPEG audio, WAVE, AIFF, FLAC, Ogg Vorbis, "
        "Opus and MP4 files)";
    return result;
  }
  if (kind == FileKind::kMpeg) {
    long audioStart = -1;
    const SaveOutcome outcome = SaveMpegTag(file.Get(), *text, true, &audioStart, &result.error);
    if (outcome == SaveOutcome::kFailed) return result;
    if (outcome == SaveOutcome::kSaved) {
      if (!FlushToDisk(file.Get())) {
        result.error =
            WriteFailureReason(FileAction::kWrite, "cannot write the file to the disk", errno);
        return result;
      }
      if (SizeOf(file.Get()) != status->size || ReadTempoText(file.Get(), kind) != *text) {
        result.error = "the tag did not read back as written";
        return result;
      }
      result.ok = true;
      result.inPlace = true;
      result.text = *text;
      return result;
    }
  }
  // Other formats' tags may sit before their audio: always a checked copy,
  // or a backup where the file has other links.
  const std::string fieldText = FieldTextFor(kind, *text);
  if (status->links > 1) return WriteThroughBackup(path, file.Get(), kind, fieldText);
  return RewriteWithTag(path, file, kind, fieldText);
}
