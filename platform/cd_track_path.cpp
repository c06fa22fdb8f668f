// The row text of a CD track. See cd_track_path.h.
#include "platform/cd_track_path.h"

#include <cstdio>

#include "platform/table_of_contents.h"

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendPercentEncoded(std::string& out, std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
}

// "/dev/sr0" -> "sr0"; any other path -> its last component.
std::string_view DeviceName(std::string_view device) {
  constexpr std::string_view kDevFolder = "/dev/";
  if (device.substr(0, kDevFolder.size()) == kDevFolder) return device.substr(kDevFolder.size());
  const size_t slash = device.find_last_of('/');
  return slash == std::string_view::npos ? device : device.substr(slash + 1);
}

}  // namespace

std::string CdTrackPath(std::string_view device, int track) {
  if (track < 1 || track > kMaxTrackNumber) return {};
  const std::string_view name = DeviceName(device);
  if (name.empty()) return {};
  std::string path = "cdda://";
  AppendPercentEncoded(path, name);
  path += "/Track%20";
  path += std::to_string(track);
  path += ".wav";
  return path;
}

std::string WindowsCdTrackPath(char driveLetter, int track) {
  const char letter = static_cast<char>(
      driveLetter >= 'a' && driveLetter <= 'z' ? driveLetter - 'a' + 'A' : driveLetter);
  if (letter < 'A' || letter > 'Z' || track < 1 || track > kMaxTrackNumber) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%c:\\Track%02d.cda", letter, track);
  return text;
}
