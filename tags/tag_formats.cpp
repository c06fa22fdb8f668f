// File kinds and the Vorbis comment and MP4 tempo fields. See
// tag_formats.h.
#include "tags/tag_formats.h"

#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/opusfile.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/file_descriptor.h"
#include "tags/descriptor_stream.h"

namespace {

const char* const kBpmField = "BPM";
const char* const kMp4Tempo = "tmpo";

bool Has(const unsigned char* head, size_t got, size_t offset, const char* text) {
  const size_t length = std::strlen(text);
  return got >= offset + length && std::memcmp(head + offset, text, length) == 0;
}

// The length of an ID3v2 tag at the file's start (header, body, footer),
// 0 without one.
size_t Id3v2Length(const unsigned char* head, size_t got) {
  if (got < 10 || !Has(head, got, 0, "ID3")) return 0;
  size_t size = 0;
  for (int i = 6; i < 10; ++i) size = size << 7 | (head[i] & 0x7F);
  return 10 + size + ((head[5] & 0x10) != 0 ? 10 : 0);
}

std::optional<std::string> XiphText(const TagLib::Ogg::XiphComment* comment) {
  if (comment == nullptr) return std::nullopt;
  const TagLib::Ogg::FieldListMap& fields = comment->fieldListMap();
  const auto found = fields.find(kBpmField);
  if (found == fields.end() || found->second.isEmpty()) return std::nullopt;
  return found->second.front().to8Bit(true);
}

// The BPM field of an Ogg file of this kind (Vorbis or Opus), whose tag is
// its Vorbis comment.
template <typename OggFile>
std::optional<std::string> ReadOggText(DescriptorStream& stream) {
  OggFile file(&stream, false);
  if (!file.isValid()) return std::nullopt;
  return XiphText(file.tag());
}

template <typename OggFile>
bool SaveOggText(DescriptorStream& stream, const TagLib::String& text, bool* valid) {
  OggFile file(&stream, false);
  *valid = file.isValid() && file.tag() != nullptr;
  if (!*valid) return false;
  file.tag()->addField(kBpmField, text, true);
  return file.save();
}

}  // namespace

FileKind KindOf(int descriptor) {
  unsigned char head[64] = {};
  const long long read = ReadAt(descriptor, head, sizeof head, 0);
  const size_t got = read > 0 ? static_cast<size_t>(read) : 0;
  if (Has(head, got, 0, "RIFF") && Has(head, got, 8, "WAVE")) return FileKind::kWave;
  if (Has(head, got, 0, "RIFF") || Has(head, got, 0, "RIFX") || Has(head, got, 0, "RF64"))
    return FileKind::kOtherRiff;
  if (Has(head, got, 0, "FORM") && (Has(head, got, 8, "AIFF") || Has(head, got, 8, "AIFC")))
    return FileKind::kAiff;
  if (Has(head, got, 0, "fLaC")) return FileKind::kFlac;
  if (Has(head, got, 4, "ftyp")) return FileKind::kMp4;
  if (Has(head, got, 0, "OggS")) {
    // The first packet begins after the page header's segment table.
    const size_t packet = got > 26 ? 27 + size_t{head[26]} : got;
    if (Has(head, got, packet, "\x01vorbis")) return FileKind::kOggVorbis;
    if (Has(head, got, packet, "OpusHead")) return FileKind::kOggOpus;
    return FileKind::kUnsupported;
  }
  if (Has(head, got, 0, "\x1A\x45\xDF\xA3") || Has(head, got, 0, "\x30\x26\xB2\x75"))
    return FileKind::kUnsupported;  // Matroska, ASF
  // FLAC behind an ID3v2 tag.
  const size_t tag = Id3v2Length(head, got);
  if (tag != 0) {
    char signature[4] = {};
    if (ReadAt(descriptor, signature, 4, tag) == 4 && std::memcmp(signature, "fLaC", 4) == 0)
      return FileKind::kFlac;
  }
  return FileKind::kMpeg;
}

std::string FieldTextFor(FileKind kind, const std::string& text) {
  if (kind != FileKind::kMp4) return text;
  return std::to_string(static_cast<long>(std::lround(std::strtod(text.c_str(), nullptr))));
}

std::optional<std::string> ReadTempoField(int descriptor, FileKind kind) {
  DescriptorStream stream(descriptor, true);
  if (!stream.isOpen()) return std::nullopt;
  switch (kind) {
    case FileKind::kFlac: {
      TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
      if (!file.isValid()) return std::nullopt;
      return XiphText(file.xiphComment(false));
    }
    case FileKind::kOggVorbis:
      return ReadOggText<TagLib::Ogg::Vorbis::File>(stream);
    case FileKind::kOggOpus:
      return ReadOggText<TagLib::Ogg::Opus::File>(stream);
    case FileKind::kMp4: {
      TagLib::MP4::File file(&stream, false);
      if (!file.isValid() || file.tag() == nullptr || !file.tag()->contains(kMp4Tempo))
        return std::nullopt;
      return std::to_string(file.tag()->item(kMp4Tempo).toInt());
    }
    default:
      return std::nullopt;
  }
}

bool SaveTempoField(int descriptor, FileKind kind, const std::string& text, std::string* error) {
  DescriptorStream stream(descriptor, false);
  if (!stream.isOpen() || stream.readOnly()) {
    *error = "cannot open the file for writing";
    return false;
  }
  bool valid = false;
  bool saved = false;
  const TagLib::String field(text, TagLib::String::UTF8);
  switch (kind) {
    case FileKind::kFlac: {
      TagLib::FLAC::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
      valid = file.isValid();
      if (valid) {
        file.xiphComment(true)->addField(kBpmField, field, true);
        saved = file.save();
      }
      break;
    }
    case FileKind::kOggVorbis:
      saved = SaveOggText<TagLib::Ogg::Vorbis::File>(stream, field, &valid);
      break;
    case FileKind::kOggOpus:
      saved = SaveOggText<TagLib::Ogg::Opus::File>(stream, field, &valid);
      break;
    case FileKind::kMp4: {
      TagLib::MP4::File file(&stream, false);
      valid = file.isValid() && file.tag() != nullptr;
      if (valid) {
        file.tag()->setItem(kMp4Tempo, TagLib::MP4::Item(std::atoi(text.c_str())));
        saved = file.save();
      }
      break;
    }
    default:
      break;
  }
  if (!valid) {
    *error = "not a supported format (TagLib cannot read this file's tags)";
    return false;
  }
  if (!saved || stream.Failed()) {
    *error = stream.Failed() ? "the file could not be written in full (is the disk full?)"
                             : "TagLib could not save the tag";
    return false;
  }
  return true;
}
