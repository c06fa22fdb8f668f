// TempyraApp: the window program's application object. It opens the main
// window (with a folder listed when one was given on the command line) and
// the program ends when the window closes.
#pragma once

#include <wx/app.h>

#include <optional>
#include <string>

class TempyraApp : public wxApp {
 public:
  explicit TempyraApp(std::optional<std::string> folder) : folder_(std::move(folder)) {}

  bool OnInit() override;

 private:
  std::optional<std::string> folder_;
};
