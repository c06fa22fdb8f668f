// The names of a DriveRecord. See drive_names.h.
#include "platform/drive_names.h"

#include <cstddef>
#include <cstring>
#include <string>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A drive's answer: printable ASCII only.
std::string AsciiOnly(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u >= 0x7F) c = '?';
  }
  return out;
}

// A device path: any UTF-8 name, control characters replaced.
std::string WithoutControls(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return out;
}

// Copies at most `room - 1` bytes and a terminating zero, never splitting a
// UTF-8 character.
template <std::size_t room>
void CopyCut(char (&field)[room], const std::string& text) {
  std::size_t length = text.size();
  if (length > room - 1) {
    length = room - 1;
    // text[length] is the first byte left out; when it continues a
    // character, leave out that character's earlier bytes too.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, room - length);
}

}  // namespace

void FillDriveNames(DriveRecord& record, std::string_view vendor, std::string_view model,
                    std::string_view revision, std::string_view device) {
  const std::string cleanVendor = AsciiOnly(Trimmed(vendor));
  const std::string cleanModel = AsciiOnly(Trimmed(model));
  CopyCut(record.vendor, cleanVendor);
  CopyCut(record.productId, cleanModel);
  CopyCut(record.revision, AsciiOnly(Trimmed(revision)));

  std::string name = cleanVendor;
  if (!cleanModel.empty()) {
    if (!name.empty()) name += ' ';
    name += cleanModel;
  }
  const std::string cleanDevice = WithoutControls(device);
  if (name.empty()) {
    name = cleanDevice;
  } else if (!cleanDevice.empty()) {
    name += " (" + cleanDevice + ")";
  }
  CopyCut(record.id, name);
}
