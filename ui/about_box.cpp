// The About box's data. See about_box.h.
#include "ui/about_box.h"

#include <array>

namespace {

using K = AboutControlKind;

constexpr std::array kControls{
    AboutControlTemplate{kAboutOkButton, K::kOkButton, "OK", {123, 361, 50, 14}},
    AboutControlTemplate{-1, K::kPicture, "", {68, 7, 161, 154}},
    AboutControlTemplate{-1, K::kLabel, "TEMPYRA VERSION:", {7, 164, 111, 8}, Alignment::kRight},
    AboutControlTemplate{
        kVersionLabel, K::kLabel, "Version Number", {120, 164, 170, 8}, Alignment::kLeft},
    AboutControlTemplate{-1, K::kLabel, "***TEMPYRA OFFICIAL WEBSITE***", {70, 204, 158, 8}},
    AboutControlTemplate{kProductSiteLink, K::kLink, "www.tempyra.example", {103, 212, 91, 8}},
    AboutControlTemplate{
        -1, K::kLabel, "MORE TOOLS FOR THE DJ BOOTH, FROM THE SAME MAKERS", {45, 222, 207, 8}},
    AboutControlTemplate{kSecondSiteLink, K::kLink, "tools.tempyra.example", {112, 230, 74, 8}},
    AboutControlTemplate{-1, K::kLabel, "SUPPORT", {130, 240, 36, 8}},
    AboutControlTemplate{
        kSupportLink, K::kLink, "www.tempyra.example/support.html", {83, 248, 132, 8}},
    AboutControlTemplate{-1, K::kLabel, "CONTACT", {131, 258, 35, 8}},
    AboutControlTemplate{
        kContactLink, K::kLink, "www.tempyra.example/contact.html", {82, 266, 133, 8}},
    AboutControlTemplate{-1, K::kLabel, "TEMPYRA END-USER LICENSE AGREEMENT", {52, 276, 194, 8}},
    AboutControlTemplate{
        kAgreementLink, K::kLink, "www.tempyra.example/Tempyraeula.txt", {64, 284, 169, 8}},
    AboutControlTemplate{kLegalNotice, K::kNoticeEditor, "", {7, 304, 283, 35}, Alignment::kLeft},
};

constexpr const char* kLegalNoticeText =
    "Tempyra is protected by copyright. You may use it as its end-user licence agreement "
    "allows (Help > EULA). Copying, selling or passing on this program, or any part of it, "
    "without the written permission of its makers is not allowed. Anyone who does so may be "
    "held liable for the damage caused and may face prosecution under the law.";

}  // namespace

std::span<const AboutControlTemplate> AboutBoxControls() {
  return kControls;
}

std::string LinkAddress(const std::string& caption) {
  return "https://" + caption;
}

const char* LegalNotice() {
  return kLegalNoticeText;
}
