// DesktopOpener: hands a document, a file or a web address to the desktop,
// which shows it with the program the user associated with it (the help
// documents in the browser, an audio file in the player, a link of the
// About box in the browser). Open returns once the other program was asked
// to start; the window reports nothing when the desktop cannot open the
// target (the desktop may show its own message).
#pragma once

#include <string>

class DesktopOpener {
 public:
  virtual ~DesktopOpener() = default;
  // `target` is a file's full path, a location such as cdda://sr0/... or
  // an address starting with https://.
  virtual void Open(const std::string& target) = 0;
};
