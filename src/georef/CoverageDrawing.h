#pragma once
// The chart's coverage over the chart view, drawn after the grid on the same overlay: the
// coverage box carried onto the chart (orange lines, 2 pixels) and the polygon (fuchsia edges,
// 2 pixels, each point a ±4 pixel square; a draft of fewer than three points is left open).

#include <vector>

#include "georef/GridPainter.h"
#include "georef/ViewMapping.h"

namespace cz {

inline constexpr OverlayColour kOrange{255, 165, 0};
inline constexpr OverlayColour kFuchsia{255, 0, 255};

// In chart pixels.
struct CoverageOverlay {
  std::vector<PixelPoint> Polygon;
  bool PolygonClosed = false;  // the coverage's polygon; a draft is open
  std::vector<std::vector<PixelPoint>> BoxLines;
};

// Between the overlay's BeginOverlay and EndOverlay.
void DrawCoverageOverlay(const CoverageOverlay& overlay, const ViewMapping& view,
                         GridPainter& painter);

// A painter that adds the coverage to every overlay drawn through it, just before the overlay
// ends (the grid drawing begins and ends the overlay itself).
class CoverageAddingPainter : public GridPainter {
 public:
  explicit CoverageAddingPainter(GridPainter& inner) : inner_(inner) {}
  // What the next overlays show, and the view they are drawn for.
  void Set(const CoverageOverlay* overlay, const ViewMapping& view) {
    overlay_ = overlay;
    view_ = view;
  }

  void BeginOverlay() override { inner_.BeginOverlay(); }
  void SetPen(const OverlayPen& pen) override { inner_.SetPen(pen); }
  void DrawLine(PixelPoint from, PixelPoint to) override { inner_.DrawLine(from, to); }
  void DrawRectangleOutline(PixelPoint topLeft, PixelPoint bottomRight) override {
    inner_.DrawRectangleOutline(topLeft, bottomRight);
  }
  void DrawText(PixelPoint topLeft, const std::string& text, OverlayColour colour) override {
    inner_.DrawText(topLeft, text, colour);
  }
  void EndOverlay() override {
    if (overlay_) DrawCoverageOverlay(*overlay_, view_, inner_);
    inner_.EndOverlay();
  }

 private:
  GridPainter& inner_;
  const CoverageOverlay* overlay_ = nullptr;
  ViewMapping view_;
};

}  // namespace cz
