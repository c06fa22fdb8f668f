// Command-line path expansion. See file_collector.h.
#include "cli/file_collector.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool HasAudioExtension(const std::string& name) {
  static const char* const kExtensions[] = {".mp3",  ".mp2", ".mp1", ".mpa",
                                            ".mpga", ".wav", ".rmp"};
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return std::any_of(std::begin(kExtensions), std::end(kExtensions),
                     [&](const char* e) { return ext == e; });
}

std::vector<CollectedFile> CollectFiles(const std::vector<std::string>& paths) {
  std::vector<CollectedFile> files;
  for (const std::string& given : paths) {
    std::error_code ec;
    fs::file_status status = fs::status(given, ec);
    if (ec || !fs::exists(status)) {
      files.push_back({given, "cannot open: " + (ec ? ec.message() : std::string("no such file"))});
      continue;
    }
    if (!fs::is_directory(status)) {
      files.push_back({given, ""});
      continue;
    }
    std::vector<std::string> found;
    fs::recursive_directory_iterator it(given, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
      std::error_code typeError;
      if (!it->is_regular_file(typeError) || typeError) continue;
      std::string path = it->path().string();
      if (HasAudioExtension(it->path().filename().string())) found.push_back(path);
    }
    if (ec) files.push_back({given, "cannot read the folder: " + ec.message()});
    std::sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
      return std::strcmp(a.c_str(), b.c_str()) < 0;
    });
    for (std::string& path : found) files.push_back({std::move(path), ""});
  }
  return files;
}
