// The About box (dialog 100) as data: its controls with their texts and
// rectangles in dialog units, the version it shows, its five web links and
// its legal notice. A toolkit builds the box from these; the links open as
// https:// followed by their caption (captions carry no scheme, as the box
// shows them).
//
// The box is 297 x 382 dialog units, captioned "About Tempyra": the picture
// (bitmap 129) at the top, the version line, the block of links with their
// headings, the read-only notice and an OK button at the bottom. OK and
// Escape close it; nothing is stored; F1 inside it does nothing.
#pragma once

#include <span>
#include <string>

#include "tempyra_version.h"
#include "ui/dialog_template.h"

enum AboutBoxId : int {
  kAboutDialogTemplate = 100,
  kAboutPictureBitmap = 129,
  kAboutOkButton = 1,
  kVersionLabel = 1013,
  kProductSiteLink = 1016,
  kSecondSiteLink = 1017,
  kSupportLink = 1020,
  kContactLink = 1021,
  kAgreementLink = 1022,
  kLegalNotice = 1030,
};

enum class AboutControlKind {
  kOkButton,      // the default push button
  kPicture,       // bitmap 129, centred in its rectangle
  kLabel,         // one line of plain text
  kLink,          // a HyperlinkLabel: blue, underlined, opens its address
  kNoticeEditor,  // multi-line, read-only, takes the focus by Tab
};

// Where a control sits in its rectangle across, when it is narrower or
// wider than the rectangle: the headings and links are centred on the
// rectangle's middle (as the template places them, in the middle of the
// box); the version's label ends where the version begins.
enum class Alignment { kLeft, kCentre, kRight };

struct AboutControlTemplate {
  int id;  // -1 for the labels without an id of their own
  AboutControlKind kind;
  const char* text;
  DialogRect rect;
  Alignment alignment = Alignment::kCentre;
};

inline constexpr const char* kAboutBoxTitle = "About Tempyra";
inline constexpr int kAboutBoxWidth = 297;
inline constexpr int kAboutBoxHeight = 382;
// What the version label shows, whatever its template text says.
inline constexpr const char* kVersionText = kTempyraVersion;

// Every control of the box in template order (also the tab order).
std::span<const AboutControlTemplate> AboutBoxControls();

// The address a link opens: "https://" and its caption.
std::string LinkAddress(const std::string& caption);

// The notice of the read-only box at the bottom.
const char* LegalNotice();
