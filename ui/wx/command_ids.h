// The wx ids of the dialog's menu commands. wxWidgets wants window and menu
// ids below 32767, so the commands 32771-32780 cannot be wx ids as they
// are; they are moved into a block of their own here, and moved back
// before the dialog logic sees them. Controls keep their ids (1000-1041).
#pragma once

// The wx id of a menu command, and the command of a wx id (0 when the id is
// no menu command).
int WxIdOfCommand(int command);
int CommandOfWxId(int wxId);
