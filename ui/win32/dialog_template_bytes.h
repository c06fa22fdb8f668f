// DialogTemplateBytes: an extended dialog template (DLGTEMPLATEEX with its
// DLGITEMTEMPLATEEX items) assembled in memory, for DialogBoxIndirectParamW.
// The program's dialogs are described by tables in ui/ (ids, kinds, texts,
// rectangles in dialog units); this turns such a table, with the window
// classes and styles the view chooses for each kind, into what the dialog
// manager reads, so that no second copy of the numbers lives in a resource
// script.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/dialog_template.h"

class DialogTemplateBytes {
 public:
  // The dialog itself: its style (DS_SETFONT is added), caption, size in
  // dialog units and font.
  DialogTemplateBytes(DWORD style, const std::string& caption, int width, int height,
                      const wchar_t* fontName = L"MS Shell Dlg", int pointSize = 8);

  // One control, in tab order. `windowClass` is a registered class name;
  // `text` is UTF-8.
  void AddControl(int id, const wchar_t* windowClass, const std::string& text, DWORD style,
                  DWORD extendedStyle, const DialogRect& rect);

  // The template, valid while this object lives and is not changed.
  const DLGTEMPLATE* Template() const;
  size_t Size() const { return words_.size() * sizeof(WORD); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value);
  void Text(const std::wstring& text);
  void AlignToDword();

  std::vector<WORD> words_;
  size_t countAt_ = 0;  // where the item count is kept
  WORD count_ = 0;
};
