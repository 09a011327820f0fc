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

}  // namespace cz
