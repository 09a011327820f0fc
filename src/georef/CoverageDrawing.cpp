#include "georef/CoverageDrawing.h"

namespace cz {

void DrawCoverageOverlay(const CoverageOverlay& overlay, const ViewMapping& view,
                         GridPainter& painter) {
  painter.SetPen({kOrange, 2});
  for (const std::vector<PixelPoint>& line : overlay.BoxLines) {
    for (std::size_t k = 1; k < line.size(); ++k) {
      painter.DrawLine(view.ToView(line[k - 1]), view.ToView(line[k]));
    }
  }
  const std::vector<PixelPoint>& points = overlay.Polygon;
  if (points.empty()) return;
  painter.SetPen({kFuchsia, 2});
  const std::size_t edges = overlay.PolygonClosed ? points.size() : points.size() - 1;
  for (std::size_t k = 0; k < edges; ++k) {
    painter.DrawLine(view.ToView(points[k]), view.ToView(points[(k + 1) % points.size()]));
  }
  painter.SetPen({kFuchsia, 1});
  for (const PixelPoint& p : points) {
    const PixelPoint at = view.ToView(p);
    painter.DrawRectangleOutline({at.X - 4, at.Y - 4}, {at.X + 4, at.Y + 4});
  }
}

}  // namespace cz
