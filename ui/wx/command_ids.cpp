// Menu command ids for wx. See command_ids.h.
#include "ui/wx/command_ids.h"

#include "ui/dialog_ids.h"

namespace {

// Above the controls' ids and below wx's own standard ids (5000-5999).
constexpr int kCommandBlock = 2000;

}  // namespace

int WxIdOfCommand(int command) {
  return kCommandBlock + (command - kFirstMenuCommand);
}

int CommandOfWxId(int wxId) {
  const int command = wxId - kCommandBlock + kFirstMenuCommand;
  return command >= kFirstMenuCommand && command <= kLastMenuCommand ? command : 0;
}
