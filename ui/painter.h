// Painter: draws the program's larger pictures (the About box's picture and
// the application icon at any size) from simple shapes, with smooth edges:
// each pixel is sampled at 4 x 4 points and takes the shape's colour in
// proportion to the points it covers, blended over what is already there.
// Coordinates are in pixels, (0, 0) the top left corner of the picture.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "ui/artwork.h"

struct Rgba {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  uint8_t a = 255;
};

struct Point {
  double x = 0;
  double y = 0;
};

class Painter {
 public:
  // A transparent picture of width x height pixels.
  Painter(int width, int height);

  // Fills what `inside` says is inside (tested at sample points) within the
  // box [left, right) x [top, bottom), in the colour `colourAt` gives for a
  // point. The shapes below are made with it.
  void Fill(double left, double top, double right, double bottom,
            const std::function<bool(double x, double y)>& inside,
            const std::function<Rgba(double x, double y)>& colourAt);

  void FillRoundedRect(double left, double top, double right, double bottom, double radius,
                       Rgba colour);
  // A convex polygon, corners in order (either way round).
  void FillPolygon(std::span<const Point> corners, Rgba colour);
  // The same polygon moved inwards by `inset` on every side (corners in
  // order; the polygon must be convex and large enough).
  void FillInsetPolygon(std::span<const Point> corners, double inset, Rgba colour);
  void FillCircle(Point centre, double radius, Rgba colour);
  // The ring between two radii.
  void FillRing(Point centre, double innerRadius, double outerRadius, Rgba colour);
  // A straight stroke with round ends.
  void StrokeLine(Point from, Point to, double width, Rgba colour);

  int Width() const { return width_; }
  int Height() const { return height_; }
  RgbaPicture Picture() const;

 private:
  void Blend(int x, int y, Rgba colour, double coverage);

  int width_;
  int height_;
  // Per pixel red, green, blue (not premultiplied) and alpha, 0 to 1.
  std::vector<float> pixels_;
};

// A colour between a and b, t from 0 (a) to 1 (b).
Rgba MixColours(Rgba a, Rgba b, double t);
