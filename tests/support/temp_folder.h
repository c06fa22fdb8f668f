// TempFolder: a temporary folder of the test's own, made when the object is
// made and removed with everything in it when the object goes.
//
// ctest runs many test processes at once (and the sanitizer builds run the
// same tests beside them), so no test may use a fixed name in the shared
// temporary folder: each takes a fresh folder with a unique name instead.
#pragma once

#include <string>

class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::string& Path() const { return path_; }
  // The path of `name` inside the folder (nothing is created).
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};
