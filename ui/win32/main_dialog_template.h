// The main dialog's template for the dialog manager, built from the control
// table in ui/ (dialog_template.h): each kind of control with its window
// class and styles (the common controls' list view, up-down and progress
// bar; the drive box a drop-down list), every rectangle in the table's
// dialog units, the caption and size of the table, the shell's dialog font.
#pragma once

#include "ui/win32/dialog_template_bytes.h"

// How far the drive box drops, in dialog units beyond its own height.
inline constexpr int kDriveListDrop = 80;

DialogTemplateBytes MainDialogTemplate();
// The window class of a kind of control, and the styles of a control.
const wchar_t* ControlClass(ControlKind kind);
DWORD ControlStyle(const ControlTemplate& control);
// The text that shows an up-down's value (its buddy).
int UpDownBuddy(int upDown);
