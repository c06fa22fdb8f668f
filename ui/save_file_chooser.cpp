// The default extension of a chosen file name. See save_file_chooser.h.
#include "ui/save_file_chooser.h"

std::string AddDefaultExtension(const std::string& path, const std::string& extension) {
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (extension.empty() || nameStart == path.size() ||
      path.find('.', nameStart) != std::string::npos)
    return path;
  return path + "." + extension;
}
