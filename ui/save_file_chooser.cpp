// The default extension of a chosen file name. See save_file_chooser.h.
#include "ui/save_file_chooser.h"

#include "platform/path.h"

std::string AddDefaultExtension(const std::string& path, const std::string& extension) {
  const size_t nameStart = FileNameStart(path);
  if (extension.empty() || nameStart == path.size() ||
      path.find('.', nameStart) != std::string::npos)
    return path;
  return path + "." + extension;
}
