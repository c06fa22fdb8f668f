// Dialog templates assembled in memory. See dialog_template_bytes.h.
#include "ui/win32/dialog_template_bytes.h"

#include "platform/win32/wide_text.h"

DialogTemplateBytes::DialogTemplateBytes(DWORD style, const std::string& caption, int width,
                                         int height, const wchar_t* fontName, int pointSize) {
  Word(1);       // dlgVer
  Word(0xFFFF);  // signature: the extended template
  Dword(0);      // helpID
  Dword(0);      // exStyle
  Dword(style | DS_SETFONT);
  countAt_ = words_.size();
  Word(0);  // cDlgItems, filled as controls are added
  Word(0);  // x
  Word(0);  // y
  Word(static_cast<WORD>(width));
  Word(static_cast<WORD>(height));
  Word(0);  // no menu: the window sets its own
  Word(0);  // the standard dialog class
  Text(WideFromUtf8(caption));
  Word(static_cast<WORD>(pointSize));
  Word(FW_NORMAL);
  Word(DEFAULT_CHARSET << 8);  // not italic, the font's own character set
  Text(fontName);
}

void DialogTemplateBytes::AddControl(int id, const wchar_t* windowClass, const std::string& text,
                                     DWORD style, DWORD extendedStyle, const DialogRect& rect) {
  AlignToDword();
  Dword(0);  // helpID
  Dword(extendedStyle);
  Dword(style);
  Word(static_cast<WORD>(rect.x));
  Word(static_cast<WORD>(rect.y));
  Word(static_cast<WORD>(rect.width));
  Word(static_cast<WORD>(rect.height));
  Dword(static_cast<DWORD>(id));
  Text(windowClass);
  Text(WideFromUtf8(text));
  Word(0);  // no creation data
  words_[countAt_] = ++count_;
}

const DLGTEMPLATE* DialogTemplateBytes::Template() const {
  return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
}

void DialogTemplateBytes::Dword(DWORD value) {
  Word(static_cast<WORD>(value & 0xFFFF));
  Word(static_cast<WORD>(value >> 16));
}

void DialogTemplateBytes::Text(const std::wstring& text) {
  for (const wchar_t c : text) Word(static_cast<WORD>(c));
  Word(0);
}

// Items start on a DWORD boundary; the vector's storage is aligned for
// that, so counting words is enough.
void DialogTemplateBytes::AlignToDword() {
  if (words_.size() % 2 != 0) Word(0);
}
