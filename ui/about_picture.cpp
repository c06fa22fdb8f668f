// The About box's picture. See about_picture.h.
#include "ui/about_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "ui/painter.h"

namespace {

// The lamps of each letter, five columns by seven rows.
struct Glyph {
  char letter;
  std::array<const char*, 7> rows;
};

constexpr std::array kGlyphs{
    Glyph{'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    Glyph{'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    Glyph{'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    Glyph{'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    Glyph{'Y', {"#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."}},
    Glyph{'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
    Glyph{'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
};

const Glyph& GlyphOf(char letter) {
  for (const Glyph& glyph : kGlyphs)
    if (glyph.letter == letter) return glyph;
  return kGlyphs[0];
}

constexpr Rgba kPanelTop{27, 33, 64, 255};
constexpr Rgba kPanelBottom{59, 23, 71, 255};
constexpr Rgba kVinyl{17, 17, 19, 255};
constexpr Rgba kGroove{44, 44, 50, 255};
constexpr Rgba kSheen{255, 255, 255, 30};
constexpr Rgba kLabel{255, 127, 39, 255};
constexpr Rgba kLabelRim{206, 88, 16, 255};
constexpr Rgba kLabelPrint{92, 40, 8, 255};
constexpr Rgba kSteel{200, 202, 212, 255};
constexpr Rgba kSteelDark{96, 98, 110, 255};
constexpr Rgba kLampTop{255, 214, 70, 255};
constexpr Rgba kLampBottom{255, 122, 36, 255};
constexpr Rgba kLampOff{255, 255, 255, 18};
constexpr Rgba kBarLeft{39, 211, 255, 255};
constexpr Rgba kBarRight{255, 63, 164, 255};
constexpr Rgba kWave{120, 200, 255, 40};

}  // namespace

RgbaPicture AboutPicture() {
  const double w = kAboutPictureWidth;
  const double h = kAboutPictureHeight;
  Painter painter(kAboutPictureWidth, kAboutPictureHeight);

  // The panel: rounded, dark blue at the top to dark violet at the bottom.
  painter.Fill(
      0, 0, w, h,
      [=](double x, double y) {
        const double radius = 18;
        const double cx = std::clamp(x, radius, w - radius);
        const double cy = std::clamp(y, radius, h - radius);
        return std::hypot(x - cx, y - cy) <= radius;
      },
      [=](double, double y) { return MixColours(kPanelTop, kPanelBottom, y / h); });

  // Sound spreading from the record.
  const Point centre{112, 98};
  for (double radius = 86; radius <= 120; radius += 8)
    painter.FillRing(centre, radius, radius + 1.2, kWave);

  // The record, its grooves and a sheen of light across it.
  painter.FillCircle(centre, 80, kVinyl);
  for (double radius = 36; radius <= 76; radius += 3.5)
    painter.FillRing(centre, radius, radius + 0.8, kGroove);
  painter.Fill(
      centre.x - 80, centre.y - 80, centre.x + 80, centre.y + 80,
      [=](double x, double y) {
        const double dx = x - centre.x;
        const double dy = y - centre.y;
        const double r = std::hypot(dx, dy);
        if (r > 78 || r < 33) return false;
        const double angle = std::atan2(dy, dx) * 180 / std::numbers::pi;
        return (angle > -150 && angle < -115) || (angle > 30 && angle < 65);
      },
      [](double, double) { return kSheen; });

  // The label with a small metronome printed on it, and the spindle.
  painter.FillCircle(centre, 31, kLabelRim);
  painter.FillCircle(centre, 28.5, kLabel);
  const std::array metronome{Point{centre.x - 4, centre.y - 18}, Point{centre.x + 4, centre.y - 18},
                             Point{centre.x + 11, centre.y + 16},
                             Point{centre.x - 11, centre.y + 16}};
  painter.FillPolygon(metronome, kLabelPrint);
  painter.StrokeLine({centre.x, centre.y + 10}, {centre.x + 9, centre.y - 21}, 2.2, kLabel);
  painter.FillCircle(centre, 3.2, kVinyl);

  // The tone arm from its pivot at the top right, its head on the record.
  const Point pivot{214, 26};
  const Point elbow{196, 118};
  const Point head{176, 142};
  painter.FillCircle(pivot, 13, kSteelDark);
  painter.FillCircle(pivot, 9, kSteel);
  painter.StrokeLine(pivot, elbow, 5, kSteel);
  painter.StrokeLine(elbow, head, 5, kSteel);
  const std::array cartridge{Point{head.x - 9, head.y - 2}, Point{head.x + 3, head.y - 12},
                             Point{head.x + 9, head.y - 4}, Point{head.x - 3, head.y + 6}};
  painter.FillPolygon(cartridge, kSteelDark);
  painter.FillCircle(pivot, 3, kSteelDark);

  // TEMPYRA in the lamps of a tempo display, every lamp shown, the lit ones
  // glowing.
  const char* const name = "TEMPYRA";
  constexpr double kLamp = 4.0;  // one lamp with its gap
  constexpr int kLetters = 7;
  const double textWidth = kLetters * 5 * kLamp + (kLetters - 1) * kLamp;
  const double left = (w - textWidth) / 2;
  const double top = 188;
  for (int letter = 0; letter < kLetters; ++letter) {
    const Glyph& glyph = GlyphOf(name[letter]);
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        const double x = left + (letter * 6 + column) * kLamp;
        const double y = top + row * kLamp;
        const bool lit = glyph.rows[static_cast<size_t>(row)][column] == '#';
        const Rgba colour = lit ? MixColours(kLampTop, kLampBottom, row / 6.0) : kLampOff;
        painter.FillRoundedRect(x, y, x + kLamp - 0.8, y + kLamp - 0.8, 1.0, colour);
      }
    }
  }

  // Level bars along the bottom, in the rhythm of a beat.
  constexpr std::array kLevels{0.45, 0.8, 0.3, 0.6,  1.0,  0.4, 0.7,  0.35,
                               0.55, 0.9, 0.3, 0.65, 0.95, 0.5, 0.75, 0.4};
  constexpr double kBarWidth = 9;
  constexpr double kBarGap = 4;
  const double barsWidth = kLevels.size() * kBarWidth + (kLevels.size() - 1) * kBarGap;
  const double barsLeft = (w - barsWidth) / 2;
  const double baseline = 240;
  for (size_t i = 0; i < kLevels.size(); ++i) {
    const double x = barsLeft + static_cast<double>(i) * (kBarWidth + kBarGap);
    const double height = 4 + 14 * kLevels[i];
    const Rgba colour =
        MixColours(kBarLeft, kBarRight, static_cast<double>(i) / (kLevels.size() - 1));
    painter.FillRoundedRect(x, baseline - height, x + kBarWidth, baseline, 1.5, colour);
  }
  return painter.Picture();
}
