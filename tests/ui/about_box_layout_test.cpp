// The About box's geometry: the template's places at a desktop font's
// scale, and the box narrowed to fit a small screen without clipping or
// overlapping anything.
#include "ui/about_box_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>

#include "ui/about_box.h"

namespace {

// A 17-pixel desktop font with 8-pixel characters, as GNOME's default: a
// dialog unit is 2 pixels across and 2.125 down.
const DialogScale kDesktopScale = DialogScale::FromFont(8, 17);

// What the toolkit needs for each control at that font: one line of text
// per label and link, the picture's bitmap, a three-line notice and a
// button a little taller than its template rectangle.
std::vector<PixelSize> DesktopContentSizes() {
  std::vector<PixelSize> sizes;
  for (const AboutControlTemplate& control : AboutBoxControls()) {
    switch (control.kind) {
      case AboutControlKind::kPicture:
        sizes.push_back({241, 250});
        break;
      case AboutControlKind::kNoticeEditor:
        sizes.push_back({200, 60});
        break;
      case AboutControlKind::kOkButton:
        sizes.push_back({70, 34});
        break;
      case AboutControlKind::kLabel:
      case AboutControlKind::kLink:
        sizes.push_back({static_cast<int>(std::strlen(control.text)) * 8, 17});
        break;
    }
  }
  return sizes;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Indices of the controls from the top down.
std::vector<size_t> TopDown(const std::vector<PixelRect>& rects) {
  std::vector<size_t> order(rects.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return rects[a].y < rects[b].y; });
  return order;
}

}  // namespace

void PrintTo(const PixelSize& size, std::ostream* out) {
  *out << size.width << " x " << size.height;
}

void PrintTo(const PixelRect& rect, std::ostream* out) {
  *out << rect.width << " x " << rect.height << " at " << rect.x << ", " << rect.y;
}

TEST(AboutBoxLayout, KeepsTheTemplatePlacesWhereTheScreenIsTallEnough) {
  const std::vector<PixelSize> sizes = DesktopContentSizes();
  const AboutBoxLayout free = LayOutAboutBox(kDesktopScale, sizes, 0);
  // 297 x 382 dialog units at 2 x 2.125 pixels are 594 x 812; OK is 4
  // pixels taller than its place, whose middle it keeps, so the box grows by
  // 2 to keep the margin below it.
  EXPECT_EQ(free.client, (PixelSize{594, 814}));
  const auto controls = AboutBoxControls();
  for (size_t i = 0; i < controls.size(); ++i) {
    const PixelRect rect = free.controls[i];
    const PixelRect place = TemplateRectInPixels(controls[i].rect, kDesktopScale);
    SCOPED_TRACE(controls[i].text);
    // Never clipped; the notice and OK fill their places at least.
    const bool fillsPlace = controls[i].kind == AboutControlKind::kNoticeEditor ||
                            controls[i].kind == AboutControlKind::kOkButton;
    EXPECT_EQ(rect.height, fillsPlace ? std::max(place.height, sizes[i].height) : sizes[i].height);
    EXPECT_GE(rect.width, sizes[i].width);
    // Down in the middle of its place.
    EXPECT_EQ(rect.y, place.y + (place.height - rect.height) / 2);
    if (controls[i].alignment == Alignment::kCentre) {
      EXPECT_LE(std::abs((rect.x + rect.width / 2) - (place.x + place.width / 2)), 1);
    }
  }
  // The version's label ends where its place ends (unit 118), the version
  // begins at its own (unit 120).
  const size_t label = 2, version = 3;
  ASSERT_EQ(controls[version].id, kVersionLabel);
  EXPECT_EQ(free.controls[label].x + free.controls[label].width, 236);
  EXPECT_EQ(free.controls[version].x, 240);

  // A screen that holds the box changes nothing.
  const AboutBoxLayout fits = LayOutAboutBox(kDesktopScale, sizes, 814);
  EXPECT_EQ(fits.client, free.client);
  EXPECT_EQ(fits.controls, free.controls);
}

TEST(AboutBoxLayout, NarrowsOnlyTheEmptyBandsOnASmallScreen) {
  const std::vector<PixelSize> sizes = DesktopContentSizes();
  const AboutBoxLayout free = LayOutAboutBox(kDesktopScale, sizes, 0);
  // A 1366 x 768 screen less a top bar and the title bar.
  const AboutBoxLayout small = LayOutAboutBox(kDesktopScale, sizes, 700);
  EXPECT_LE(small.client.height, 700);
  EXPECT_EQ(small.client.width, free.client.width);

  const int margin = 15;  // 7 units of 2.125 pixels
  // The picture moves up to the margin; OK ends a margin above the bottom.
  EXPECT_EQ(small.controls[1].y, margin);
  EXPECT_EQ(small.controls[0].y + small.controls[0].height + margin, small.client.height);

  const std::vector<size_t> before = TopDown(free.controls);
  EXPECT_EQ(TopDown(small.controls), before);
  for (size_t i = 0; i < free.controls.size(); ++i) {
    // Same size, same place across; only moved up.
    EXPECT_EQ(small.controls[i].x, free.controls[i].x);
    EXPECT_EQ(small.controls[i].width, free.controls[i].width);
    EXPECT_EQ(small.controls[i].height, free.controls[i].height);
    EXPECT_LE(small.controls[i].y, free.controls[i].y);
    for (size_t j = i + 1; j < free.controls.size(); ++j)
      EXPECT_EQ(Overlap(small.controls[i], small.controls[j]),
                Overlap(free.controls[i], free.controls[j]))
          << i << " " << j;
  }
  // Lines of the link block that sat closer than a margin keep their
  // distance; wider bands become a margin exactly.
  for (size_t k = 1; k < before.size(); ++k) {
    const PixelRect& upper = free.controls[before[k - 1]];
    const PixelRect& lower = free.controls[before[k]];
    const int gapBefore = lower.y - (upper.y + upper.height);
    const int gapAfter = small.controls[before[k]].y -
                         (small.controls[before[k - 1]].y + small.controls[before[k - 1]].height);
    if (gapBefore <= margin) {
      EXPECT_EQ(gapAfter, gapBefore) << k;
    } else {
      EXPECT_EQ(gapAfter, margin) << k;
    }
  }

  // A screen too small even for that gets the same narrowed box: nothing is
  // shrunk or hidden to go further.
  const AboutBoxLayout tiny = LayOutAboutBox(kDesktopScale, sizes, 300);
  EXPECT_EQ(tiny.controls, small.controls);
  EXPECT_EQ(tiny.client, small.client);
}
