// The window's pictures. See artwork.h.
//
// The row images are pixel art, one character per pixel; the icon is drawn
// from a few shapes, each pixel coloured by what covers its centre.
#include "ui/artwork.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <span>

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

constexpr std::array kPalette{
    PaletteEntry{'.', kTransparent},       PaletteEntry{'o', {32, 32, 32, 255}},
    PaletteEntry{'g', {0, 160, 0, 255}},   PaletteEntry{'L', {96, 224, 96, 255}},
    PaletteEntry{'r', {208, 0, 0, 255}},   PaletteEntry{'p', {255, 128, 128, 255}},
    PaletteEntry{'y', {255, 216, 0, 255}}, PaletteEntry{'Y', {200, 150, 0, 255}},
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

// ---- The icon ----

struct Point {
  double x, y;
};

class Canvas {
 public:
  explicit Canvas(int size)
      : size_(size), pixels_(static_cast<size_t>(size * size), kTransparent) {}

  // Fills a convex polygon (corners in order); with an outline colour, its
  // edge pixels (those with a neighbour outside) take that colour.
  void FillPolygon(std::span<const Point> corners, Colour fill, const Colour* outline = nullptr) {
    for (int y = 0; y < size_; ++y) {
      for (int x = 0; x < size_; ++x) {
        if (!Inside(corners, x, y)) continue;
        const bool edge = !Inside(corners, x - 1, y) || !Inside(corners, x + 1, y) ||
                          !Inside(corners, x, y - 1) || !Inside(corners, x, y + 1);
        At(x, y) = edge && outline != nullptr ? *outline : fill;
      }
    }
  }

  // A straight stroke of the given width between two points.
  void Stroke(Point from, Point to, double width, Colour colour) {
    for (int y = 0; y < size_; ++y)
      for (int x = 0; x < size_; ++x)
        if (DistanceToSegment({x + 0.5, y + 0.5}, from, to) <= width / 2) At(x, y) = colour;
  }

  void FillCircle(Point centre, double radius, Colour colour) {
    for (int y = 0; y < size_; ++y)
      for (int x = 0; x < size_; ++x)
        if (std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y) <= radius) At(x, y) = colour;
  }

  RgbaPicture Picture() const {
    RgbaPicture picture{size_, size_, {}};
    for (const Colour& c : pixels_)
      picture.pixels.insert(picture.pixels.end(), {c.r, c.g, c.b, c.a});
    return picture;
  }

 private:
  Colour& At(int x, int y) { return pixels_[static_cast<size_t>(y * size_ + x)]; }

  // Whether the centre of pixel (x, y) lies inside the convex polygon.
  static bool Inside(std::span<const Point> corners, int x, int y) {
    const Point p{x + 0.5, y + 0.5};
    bool positive = false;
    bool negative = false;
    for (size_t i = 0; i < corners.size(); ++i) {
      const Point a = corners[i];
      const Point b = corners[(i + 1) % corners.size()];
      const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
      positive = positive || cross > 0;
      negative = negative || cross < 0;
    }
    return !(positive && negative);
  }

  static double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
  }

  int size_;
  std::vector<Colour> pixels_;
};

}  // namespace

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
  }
  return FromPixelArt(kEmpty);
}

// A wooden metronome on its base, its pendulum swung to the right.
RgbaPicture ApplicationIconPicture() {
  constexpr Colour kOutline{40, 20, 8, 255};
  constexpr Colour kWood{176, 96, 40, 255};
  constexpr Colour kDarkWood{112, 56, 20, 255};
  constexpr Colour kFace{244, 232, 200, 255};
  constexpr Colour kScale{150, 140, 120, 255};
  constexpr Colour kRod{30, 30, 30, 255};
  constexpr Colour kWeight{208, 32, 32, 255};
  constexpr Colour kBrass{220, 170, 30, 255};

  Canvas canvas(32);
  const std::array<Point, 4> base{{{3, 26.5}, {29, 26.5}, {29, 30}, {3, 30}}};
  canvas.FillPolygon(base, kDarkWood, &kOutline);
  const std::array<Point, 4> body{{{12.5, 2}, {19.5, 2}, {26.5, 27.5}, {5.5, 27.5}}};
  canvas.FillPolygon(body, kWood, &kOutline);
  const std::array<Point, 4> face{{{14, 6}, {18, 6}, {22, 23.5}, {10, 23.5}}};
  canvas.FillPolygon(face, kFace);
  for (int mark = 0; mark < 5; ++mark) {
    const double y = 9.0 + 3.0 * mark;
    canvas.Stroke({15.0, y}, {17.0, y}, 0.9, kScale);
  }
  canvas.Stroke({16, 24}, {22.5, 4.5}, 1.6, kRod);
  const std::array<Point, 4> weight{{{18.2, 10.5}, {23.2, 11.5}, {22.2, 14.5}, {17.2, 13.5}}};
  canvas.FillPolygon(weight, kWeight, &kOutline);
  canvas.FillCircle({16, 24}, 1.8, kBrass);
  return canvas.Picture();
}
