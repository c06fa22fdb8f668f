// The About box's geometry. See about_box_layout.h.
#include "ui/about_box_layout.h"

#include <algorithm>
#include <cassert>
#include <numeric>

#include "ui/about_box.h"

namespace {

// The template keeps 7 units between the controls and the box's edges.
constexpr int kMarginUnits = 7;

PixelRect PlaceInTemplateRect(const AboutControlTemplate& control, PixelSize content,
                              DialogScale scale) {
  const PixelRect rect = TemplateRectInPixels(control.rect, scale);
  PixelSize size = content;
  switch (control.kind) {
    case AboutControlKind::kNoticeEditor:
      size = {rect.width, std::max(rect.height, content.height)};
      break;
    case AboutControlKind::kOkButton:
      size = {std::max(rect.width, content.width), std::max(rect.height, content.height)};
      break;
    case AboutControlKind::kPicture:
    case AboutControlKind::kLabel:
    case AboutControlKind::kLink:
      break;
  }
  int x = rect.x;
  if (control.alignment == Alignment::kCentre) x += (rect.width - size.width) / 2;
  if (control.alignment == Alignment::kRight) x += rect.width - size.width;
  const int y = std::max(rect.y + (rect.height - size.height) / 2, 0);
  return {x, y, size.width, size.height};
}

// Moves the controls up so that no empty band between them (or above the
// first) is taller than `margin`. Controls are taken from the top down; a
// control that overlaps the band of those before it moves with them.
void NarrowEmptyBands(std::vector<PixelRect>& controls, int margin) {
  std::vector<size_t> order(controls.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return controls[a].y < controls[b].y; });
  int bandBottom = 0;  // bottom of the controls seen so far, as placed before
  int removed = 0;     // how far the controls are moved up
  for (size_t index : order) {
    PixelRect& rect = controls[index];
    const int gap = rect.y - bandBottom;
    if (gap > margin) removed += gap - margin;
    bandBottom = std::max(bandBottom, rect.y + rect.height);
    rect.y -= removed;
  }
}

// The client size that holds every control with the margin to the right and
// below, and is never smaller than `minimum`.
PixelSize ClientSizeHolding(const std::vector<PixelRect>& controls, PixelSize minimum,
                            PixelRect margin) {
  PixelSize client = minimum;
  for (const PixelRect& rect : controls) {
    client.width = std::max(client.width, rect.x + rect.width + margin.width);
    client.height = std::max(client.height, rect.y + rect.height + margin.height);
  }
  return client;
}

}  // namespace

AboutBoxLayout LayOutAboutBox(DialogScale scale, std::span<const PixelSize> contentSizes,
                              int maximumClientHeight) {
  const std::span<const AboutControlTemplate> templates = AboutBoxControls();
  assert(contentSizes.size() == templates.size());
  const PixelRect box =
      TemplateRectInPixels(DialogRect{0, 0, kAboutBoxWidth, kAboutBoxHeight}, scale);
  const PixelRect margin =
      TemplateRectInPixels(DialogRect{0, 0, kMarginUnits, kMarginUnits}, scale);

  AboutBoxLayout layout;
  for (size_t i = 0; i < templates.size(); ++i)
    layout.controls.push_back(PlaceInTemplateRect(templates[i], contentSizes[i], scale));
  layout.client = ClientSizeHolding(layout.controls, {box.width, box.height}, margin);
  if (maximumClientHeight <= 0 || layout.client.height <= maximumClientHeight) return layout;

  // Too tall for the screen: the box no longer keeps the template's height.
  NarrowEmptyBands(layout.controls, margin.height);
  layout.client = ClientSizeHolding(layout.controls, {box.width, 0}, margin);
  return layout;
}
