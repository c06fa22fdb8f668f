// The main dialog's geometry. See dialog_layout.h.
#include "ui/dialog_layout.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace {

int Scaled(double value, double scale) {
  return static_cast<int>(std::lround(value * scale));
}

class Layout {
 public:
  Layout(DialogScale scale, const std::map<int, PixelSize>& minimumSizes)
      : scale_(scale), minimumSizes_(minimumSizes) {
    for (const ControlTemplate& control : MainDialogControls()) {
      placements_.push_back({control.id, TemplateRectInPixels(control.rect, scale)});
      Resize(placements_.back(), placements_.back().rect.width, placements_.back().rect.height);
    }
  }

  // A constant of the rules in pixels, across or down.
  int Across(int pixels) const { return Scaled(pixels, scale_.across); }
  int Down(int pixels) const { return Scaled(pixels, scale_.down); }

  void Move(int id, int x, int y) {
    ControlPlacement& placement = Find(id);
    placement.rect.x = x;
    placement.rect.y = y;
  }
  void Size(int id, int width, int height) { Resize(Find(id), width, height); }
  void MoveAndSize(int id, int x, int y, int width, int height) {
    Move(id, x, y);
    Size(id, width, height);
  }

  std::vector<ControlPlacement> Take() { return std::move(placements_); }

 private:
  ControlPlacement& Find(int id) {
    return *std::find_if(placements_.begin(), placements_.end(),
                         [id](const ControlPlacement& p) { return p.id == id; });
  }

  void Resize(ControlPlacement& placement, int width, int height) {
    PixelSize minimum;
    if (auto it = minimumSizes_.find(placement.id); it != minimumSizes_.end()) minimum = it->second;
    placement.rect.width = std::max({width, minimum.width, 0});
    placement.rect.height = std::max({height, minimum.height, 0});
  }

  DialogScale scale_;
  const std::map<int, PixelSize>& minimumSizes_;
  std::vector<ControlPlacement> placements_;
};

}  // namespace

DialogScale DialogScale::FromFont(double averageCharWidth, double charHeight) {
  return {averageCharWidth / 4.0 / kReferenceUnitAcross, charHeight / 8.0 / kReferenceUnitDown};
}

DialogScale WidenedToFit(DialogScale scale, const std::map<int, int>& neededWidths) {
  for (const auto& [id, needed] : neededWidths) {
    const ControlTemplate* control = FindControlTemplate(id);
    if (control == nullptr || control->rect.width <= 0) continue;
    // Whole pixels, as the control gets them.
    const double across = control->rect.width * kReferenceUnitAcross;
    while (Scaled(across, scale.across) < needed)
      scale.across = std::max(scale.across * 1.0001, (needed - 0.49) / across);
  }
  return scale;
}

PixelRect TemplateRectInPixels(const DialogRect& rect, DialogScale scale) {
  const double across = kReferenceUnitAcross * scale.across;
  const double down = kReferenceUnitDown * scale.down;
  return {Scaled(rect.x, across), Scaled(rect.y, down), Scaled(rect.width, across),
          Scaled(rect.height, down)};
}

PixelSize DesignedClientSize(DialogScale scale) {
  const PixelRect rect = TemplateRectInPixels({0, 0, kMainDialogWidth, kMainDialogHeight}, scale);
  return {rect.width, rect.height};
}

std::vector<ControlPlacement> LayOutMainDialog(int clientWidth, int clientHeight, DialogScale scale,
                                               const std::map<int, PixelSize>& minimumSizes) {
  Layout layout(scale, minimumSizes);
  const int w = clientWidth;
  const int h = clientHeight;
  auto across = [&](int pixels) { return layout.Across(pixels); };
  auto down = [&](int pixels) { return layout.Down(pixels); };

  layout.Size(kSourcePath, w - across(46), down(23));
  layout.Move(kBrowseButton, w - across(30), down(26));
  layout.Size(kDriveBox, w - across(21), down(23));
  layout.Size(kTrackListView, w - across(21), h - down(275));
  layout.Move(kRenameRadio, across(11), h - down(195));
  layout.Move(kRenameAtBeginningRadio, across(27), h - down(179));
  layout.Move(kRenameAtEndRadio, across(27), h - down(163));
  layout.Move(kDuplicateRadio, across(11), h - down(147));
  layout.Move(kDuplicateAtBeginningRadio, across(27), h - down(130));
  layout.Move(kDuplicateAtEndRadio, across(27), h - down(114));
  layout.Move(kDecimalPlacesLabel, across(11), h - down(90));
  layout.Move(kDecimalPlacesValue, across(146), h - down(90));
  layout.Move(kDecimalPlacesUpDown, across(161), h - down(95));
  layout.MoveAndSize(kProgressBar, across(11), h - down(67), w - across(21), down(10));
  layout.MoveAndSize(kStatusLine, across(11), h - down(56), w - across(21), down(14));
  layout.Move(kGoButton, across(11), h - down(34));
  layout.Move(kTapButton, (w - across(22)) / 4 + across(11), h - down(34));
  layout.Move(kSetBpmButton, (2 * w - across(44)) / 4 + across(11), h - down(34));
  layout.Move(kExitButton, w - across(85), h - down(34));
  layout.Move(kInvertButton, w - across(91), h - down(197));
  layout.Move(kMinTempoBox, w - across(133), h - down(169));
  layout.Move(kMinTempoValue, w - across(52), h - down(173));
  layout.Move(kMinTempoUpDown, w - across(24), h - down(173));
  layout.Move(kMaxTempoBox, w - across(133), h - down(138));
  layout.Move(kMaxTempoValue, w - across(49), h - down(142));
  layout.Move(kMaxTempoUpDown, w - across(24), h - down(142));
  return layout.Take();
}

namespace {

bool Overlap(const PixelRect& a, const PixelRect& b) {
  if (a.width <= 0 || a.height <= 0 || b.width <= 0 || b.height <= 0) return false;
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// What is wrong with the layout at a client size: pairs of overlapping
// controls, and controls sticking out of the client area (paired with 0).
std::set<std::pair<int, int>> Faults(int width, int height, DialogScale scale,
                                     const std::map<int, PixelSize>& minimumSizes) {
  const std::vector<ControlPlacement> layout = LayOutMainDialog(width, height, scale, minimumSizes);
  std::set<std::pair<int, int>> faults;
  for (size_t i = 0; i < layout.size(); ++i) {
    const PixelRect& a = layout[i].rect;
    if (a.x < 0 || a.y < 0 || a.x + a.width > width || a.y + a.height > height)
      faults.emplace(layout[i].id, 0);
    for (size_t j = i + 1; j < layout.size(); ++j)
      if (Overlap(a, layout[j].rect)) faults.emplace(layout[i].id, layout[j].id);
  }
  return faults;
}

}  // namespace

PixelSize MinimumClientSize(DialogScale scale, const std::map<int, PixelSize>& minimumSizes,
                            int listMinimumHeight) {
  const PixelSize designed = DesignedClientSize(scale);
  const std::set<std::pair<int, int>> accepted =
      Faults(designed.width, designed.height, scale, minimumSizes);
  auto holds = [&](int width, int height) {
    const std::vector<ControlPlacement> layout =
        LayOutMainDialog(width, height, scale, minimumSizes);
    for (const ControlPlacement& placement : layout)
      if (placement.id == kTrackListView && placement.rect.height < listMinimumHeight) return false;
    const std::set<std::pair<int, int>> faults = Faults(width, height, scale, minimumSizes);
    return std::includes(accepted.begin(), accepted.end(), faults.begin(), faults.end());
  };
  PixelSize minimum = designed;
  while (minimum.height > 1 && holds(designed.width, minimum.height - 1)) --minimum.height;
  while (minimum.width > 1 && holds(minimum.width - 1, designed.height)) --minimum.width;
  while (!holds(minimum.width, minimum.height) &&
         (minimum.width < designed.width || minimum.height < designed.height)) {
    minimum.width = std::min(minimum.width + 1, designed.width);
    minimum.height = std::min(minimum.height + 1, designed.height);
  }
  return minimum;
}
