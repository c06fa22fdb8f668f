// MessageBoxService: the dialog's modal message boxes (an OK button, no
// icon, owned by the dialog). ShowMessage returns when the user has closed
// the box.
#pragma once

#include <string>

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
};
