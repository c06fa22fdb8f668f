// Smooth-edged drawing of simple shapes. See painter.h.
#include "ui/painter.h"

#include <algorithm>
#include <cmath>

namespace {

// Sample points per pixel along each axis.
constexpr int kSamples = 4;

bool InsideConvex(std::span<const Point> corners, double x, double y) {
  bool positive = false;
  bool negative = false;
  for (size_t i = 0; i < corners.size(); ++i) {
    const Point a = corners[i];
    const Point b = corners[(i + 1) % corners.size()];
    const double cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
    positive = positive || cross > 0;
    negative = negative || cross < 0;
  }
  return !(positive && negative);
}

double DistanceToSegment(double x, double y, Point a, Point b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

}  // namespace

Rgba MixColours(Rgba a, Rgba b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  auto mix = [t](uint8_t p, uint8_t q) {
    return static_cast<uint8_t>(std::lround(p + (q - p) * t));
  };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
}

Painter::Painter(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height) * 4, 0.0f) {}

void Painter::Blend(int x, int y, Rgba colour, double coverage) {
  float* p =
      &pixels_[(static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4];
  const float a = static_cast<float>(colour.a / 255.0 * coverage);
  if (a <= 0.0f) return;
  const float under = p[3] * (1.0f - a);
  const float out = a + under;
  const float source[3] = {colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f};
  for (int i = 0; i < 3; ++i) p[i] = (source[i] * a + p[i] * under) / out;
  p[3] = out;
}

void Painter::Fill(double left, double top, double right, double bottom,
                   const std::function<bool(double, double)>& inside,
                   const std::function<Rgba(double, double)>& colourAt) {
  const int x0 = std::max(0, static_cast<int>(std::floor(left)));
  const int y0 = std::max(0, static_cast<int>(std::floor(top)));
  const int x1 = std::min(width_, static_cast<int>(std::ceil(right)));
  const int y1 = std::min(height_, static_cast<int>(std::ceil(bottom)));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      int covered = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx)
          covered += inside(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
      if (covered == 0) continue;
      Blend(x, y, colourAt(x + 0.5, y + 0.5), static_cast<double>(covered) / (kSamples * kSamples));
    }
  }
}

void Painter::FillRoundedRect(double left, double top, double right, double bottom, double radius,
                              Rgba colour) {
  Fill(
      left, top, right, bottom,
      [=](double x, double y) {
        if (x < left || x >= right || y < top || y >= bottom) return false;
        const double cx = std::clamp(x, left + radius, right - radius);
        const double cy = std::clamp(y, top + radius, bottom - radius);
        return std::hypot(x - cx, y - cy) <= radius;
      },
      [=](double, double) { return colour; });
}

void Painter::FillPolygon(std::span<const Point> corners, Rgba colour) {
  double left = corners[0].x, right = corners[0].x, top = corners[0].y, bottom = corners[0].y;
  for (const Point& p : corners) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  const std::vector<Point> copy(corners.begin(), corners.end());
  Fill(
      left, top, right, bottom, [copy](double x, double y) { return InsideConvex(copy, x, y); },
      [=](double, double) { return colour; });
}

void Painter::FillInsetPolygon(std::span<const Point> corners, double inset, Rgba colour) {
  // Signed area: which way round the corners go, so "inwards" is known.
  double area = 0;
  const size_t n = corners.size();
  for (size_t i = 0; i < n; ++i) {
    const Point a = corners[i];
    const Point b = corners[(i + 1) % n];
    area += a.x * b.y - b.x * a.y;
  }
  const double side = area > 0 ? 1.0 : -1.0;
  // Each edge moved inwards along its normal; new corners where the moved
  // edges meet.
  struct Line {
    Point p;
    Point d;
  };
  std::vector<Line> lines;
  for (size_t i = 0; i < n; ++i) {
    const Point a = corners[i];
    const Point b = corners[(i + 1) % n];
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    const Point normal{-(b.y - a.y) / length * side, (b.x - a.x) / length * side};
    lines.push_back({{a.x + normal.x * inset, a.y + normal.y * inset}, {b.x - a.x, b.y - a.y}});
  }
  std::vector<Point> inner;
  for (size_t i = 0; i < n; ++i) {
    const Line& l1 = lines[(i + n - 1) % n];
    const Line& l2 = lines[i];
    const double denominator = l1.d.x * l2.d.y - l1.d.y * l2.d.x;
    const double t = ((l2.p.x - l1.p.x) * l2.d.y - (l2.p.y - l1.p.y) * l2.d.x) / denominator;
    inner.push_back({l1.p.x + t * l1.d.x, l1.p.y + t * l1.d.y});
  }
  FillPolygon(inner, colour);
}

void Painter::FillCircle(Point centre, double radius, Rgba colour) {
  FillRing(centre, 0.0, radius, colour);
}

void Painter::FillRing(Point centre, double innerRadius, double outerRadius, Rgba colour) {
  Fill(
      centre.x - outerRadius, centre.y - outerRadius, centre.x + outerRadius,
      centre.y + outerRadius,
      [=](double x, double y) {
        const double r = std::hypot(x - centre.x, y - centre.y);
        return r <= outerRadius && r >= innerRadius;
      },
      [=](double, double) { return colour; });
}

void Painter::StrokeLine(Point from, Point to, double width, Rgba colour) {
  const double half = width / 2;
  Fill(
      std::min(from.x, to.x) - half, std::min(from.y, to.y) - half, std::max(from.x, to.x) + half,
      std::max(from.y, to.y) + half,
      [=](double x, double y) { return DistanceToSegment(x, y, from, to) <= half; },
      [=](double, double) { return colour; });
}

RgbaPicture Painter::Picture() const {
  RgbaPicture picture{width_, height_, {}};
  picture.pixels.reserve(pixels_.size());
  for (float value : pixels_)
    picture.pixels.push_back(
        static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255)));
  return picture;
}
