// File names of the audio formats. See audio_file_names.h.
#include "engine/audio_file_names.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr std::string_view kMpegAndWaveExtensions[] = {".mp3",  ".mp2", ".mp1", ".mpa",
                                                       ".mpga", ".wav", ".rmp"};
constexpr std::string_view kOtherExtensions[] = {".flac", ".m4a",  ".m4b",  ".mp4",
                                                 ".aac",  ".ogg",  ".oga",  ".opus",
                                                 ".aif",  ".aiff", ".aifc", ".wma"};

bool Among(const std::string& extension, const std::string_view* begin,
           const std::string_view* end) {
  return std::find(begin, end, extension) != end;
}

}  // namespace

bool IsAudioFileName(std::string_view name, AudioFormats formats) {
  const size_t slash = name.rfind('/');
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(name.substr(dot));
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (Among(extension, std::begin(kMpegAndWaveExtensions), std::end(kMpegAndWaveExtensions)))
    return true;
  return formats == AudioFormats::kEveryFormat &&
         Among(extension, std::begin(kOtherExtensions), std::end(kOtherExtensions));
}
