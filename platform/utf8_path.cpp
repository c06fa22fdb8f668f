// UTF-8 paths. See utf8_path.h.
#include "platform/utf8_path.h"

#if defined(_WIN32)
#include <windows.h>

#include "platform/win32/wide_text.h"
#endif

std::filesystem::path Utf8Path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::FILE* OpenStdioFile(const std::string& path, const char* mode) {
#if defined(_WIN32)
  return _wfopen(WidePath(path).c_str(), WideFromUtf8(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}
