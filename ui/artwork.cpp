// The window's pictures. See artwork.h.
//
// The row images are pixel art, one character per pixel; the icon is drawn
// from a few shapes with smooth edges, at any size.
#include "ui/artwork.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <span>

#include "ui/painter.h"

namespace {

struct Colour {
  uint8_t r, g, b, a;
};

constexpr Colour kTransparent{0, 0, 0, 0};

struct PaletteEntry {
  char key;
  Colour colour;
};

constexpr std::array<const char*, 16> kEmpty{
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
    "................", "................", "................", "................",
};

// o outline, g green, L light green.
constexpr std::array<const char*, 16> kTick{
    "................", "................", ".............oo.", "............oLgo",
    "...........oLgo.", "..........oLgo..", ".oo......oLgo...", "oLgo....oLgo....",
    "oggLo..oLgo.....", ".oggLooLgo......", "..oggLLgo.......", "...ogggo........",
    "....ogo.........", ".....o..........", "................", "................",
};

// o outline, r red, p pale red.
constexpr std::array<const char*, 16> kQuestionMark{
    "................", ".....oooooo.....", "....oprrrrro....", "...oprooorrro...",
    "...opo...orro...", "....o....orro...", "........orro....", ".......orro.....",
    "......orro......", "......orro......", "......oooo......", "................",
    "......oooo......", "......opro......", "......orro......", "......oooo......",
};

// o outline, y yellow, Y dark yellow (the fingers' shade).
constexpr std::array<const char*, 16> kRaisedThumb{
    "................", "......oo........", ".....oyo........", ".....oyo........",
    "....oyyo........", "....oyyo........", "...oyyyoooooo...", "oooyyyyyyyyyyo..",
    "oYoyyyyyoooooo..", "oYoyyyyyyyyyYo..", "oYoyyyyyoooooo..", "oYoyyyyyyyyyYo..",
    "oYoyyyyyooooo...", "oYoyyyyyyyyYo...", "oooooooooooo....", "................",
};

// o outline, b blue, B the label's hole.
constexpr std::array<const char*, 16> kTagLabel{
    "................", "................", "...ooooooooo....", "..obbbbbbbbbo...",
    "..obBBbbbbbbbo..", "..obBBbbbbbbbbo.", "..obbbbbbbbbbbbo", "..obbbbbbbbbbbbo",
    "..obbbbbbbbbbbo.", "..obbbbbbbbbbo..", "..obbbbbbbbbo...", "...ooooooooo....",
    "................", "................", "................", "................",
};

// o outline, a amber: a warning triangle with an exclamation mark.
constexpr std::array<const char*, 16> kWarning{
    "................", ".......oo.......", "......oaao......", "......oaao......",
    ".....oaaaao.....", ".....oaooao.....", "....oaaooaao....", "....oaaooaao....",
    "...oaaaooaaao...", "...oaaaooaaao...", "..oaaaaaaaaaao..", "..oaaaaooaaaao..",
    ".oaaaaaooaaaaao.", ".oaaaaaaaaaaaao.", "oooooooooooooooo", "................",
};

constexpr std::array kPalette{
    PaletteEntry{'.', kTransparent},        PaletteEntry{'o', {32, 32, 32, 255}},
    PaletteEntry{'g', {0, 160, 0, 255}},    PaletteEntry{'L', {96, 224, 96, 255}},
    PaletteEntry{'r', {208, 0, 0, 255}},    PaletteEntry{'p', {255, 128, 128, 255}},
    PaletteEntry{'y', {255, 216, 0, 255}},  PaletteEntry{'Y', {200, 150, 0, 255}},
    PaletteEntry{'b', {40, 110, 220, 255}}, PaletteEntry{'B', {255, 255, 255, 255}},
    PaletteEntry{'a', {255, 160, 0, 255}},
};

Colour PaletteColour(char key) {
  for (const PaletteEntry& entry : kPalette)
    if (entry.key == key) return entry.colour;
  std::abort();  // a character without a colour is a mistake in the art
}

RgbaPicture FromPixelArt(std::span<const char* const> rows) {
  RgbaPicture picture;
  picture.height = static_cast<int>(rows.size());
  picture.width = 16;
  for (const char* row : rows) {
    for (int x = 0; x < picture.width; ++x) {
      const Colour c = PaletteColour(row[x]);
      picture.pixels.insert(picture.pixels.end(), {c.r, c.g, c.b, c.a});
    }
  }
  return picture;
}

}  // namespace

RgbaPicture Enlarged(const RgbaPicture& picture, int factor) {
  if (factor < 2) return picture;
  RgbaPicture large;
  large.width = picture.width * factor;
  large.height = picture.height * factor;
  large.pixels.resize(static_cast<size_t>(large.width) * static_cast<size_t>(large.height) * 4);
  for (int y = 0; y < large.height; ++y) {
    for (int x = 0; x < large.width; ++x) {
      const size_t from = (static_cast<size_t>(y / factor) * static_cast<size_t>(picture.width) +
                           static_cast<size_t>(x / factor)) *
                          4;
      const size_t to =
          (static_cast<size_t>(y) * static_cast<size_t>(large.width) + static_cast<size_t>(x)) * 4;
      std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(from), 4,
                  large.pixels.begin() + static_cast<std::ptrdiff_t>(to));
    }
  }
  return large;
}

RgbaPicture RowImagePicture(RowImage image) {
  switch (image) {
    case RowImage::kNone:
      return FromPixelArt(kEmpty);
    case RowImage::kAnalysed:
      return FromPixelArt(kTick);
    case RowImage::kFailed:
      return FromPixelArt(kQuestionMark);
    case RowImage::kSetByHand:
      return FromPixelArt(kRaisedThumb);
    case RowImage::kFromTag:
      return FromPixelArt(kTagLabel);
    case RowImage::kUnsure:
      return FromPixelArt(kWarning);
  }
  return FromPixelArt(kEmpty);
}

// A wooden metronome on its base, its pendulum swung to the right, drawn
// on a 32 x 32 grid scaled to the size asked for.
RgbaPicture ApplicationIconPicture(int size) {
  constexpr Rgba kOutline{40, 20, 8, 255};
  constexpr Rgba kWood{176, 96, 40, 255};
  constexpr Rgba kDarkWood{112, 56, 20, 255};
  constexpr Rgba kFace{244, 232, 200, 255};
  constexpr Rgba kScale{150, 140, 120, 255};
  constexpr Rgba kRod{30, 30, 30, 255};
  constexpr Rgba kWeight{208, 32, 32, 255};
  constexpr Rgba kBrass{220, 170, 30, 255};

  const double unit = size / 32.0;
  auto at = [unit](double x, double y) { return Point{x * unit, y * unit}; };
  Painter painter(size, size);
  // Outlined shapes: the outline colour, then the fill one unit inside.
  auto outlined = [&](std::initializer_list<Point> grid, Rgba fill) {
    std::vector<Point> corners;
    for (const Point& p : grid) corners.push_back(at(p.x, p.y));
    painter.FillPolygon(corners, kOutline);
    painter.FillInsetPolygon(corners, unit, fill);
  };
  outlined({{3, 26.5}, {29, 26.5}, {29, 30}, {3, 30}}, kDarkWood);
  outlined({{12.5, 2}, {19.5, 2}, {26.5, 27.5}, {5.5, 27.5}}, kWood);
  const std::array face{at(14, 6), at(18, 6), at(22, 23.5), at(10, 23.5)};
  painter.FillPolygon(face, kFace);
  for (int mark = 0; mark < 5; ++mark) {
    const double y = 9.0 + 3.0 * mark;
    painter.StrokeLine(at(15.0, y), at(17.0, y), 0.9 * unit, kScale);
  }
  painter.StrokeLine(at(16, 24), at(22.5, 4.5), 1.6 * unit, kRod);
  outlined({{18.2, 10.5}, {23.2, 11.5}, {22.2, 14.5}, {17.2, 13.5}}, kWeight);
  painter.FillCircle(at(16, 24), 1.8 * unit, kBrass);
  return painter.Picture();
}
