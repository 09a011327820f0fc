#include "georef/GridReportDrawing.h"

#include <cmath>

namespace cz {

OverlayColour MarkColour(PointMark mark) {
  switch (mark) {
    case PointMark::Good:
      return kLime;
    case PointMark::Doubtful:
      return kYellow;
    case PointMark::Flagged:
      break;
  }
  return kRed;
}

void DrawGridReportMarkers(const GridReport& report, const ViewMapping& view, GridPainter& painter) {
  for (const ReportedPoint& p : report.Points) {
    painter.SetPen({MarkColour(p.Mark), 2});
    const PixelPoint at = view.ToView({static_cast<std::int32_t>(std::lround(p.Found.X)),
                                       static_cast<std::int32_t>(std::lround(p.Found.Y))});
    painter.DrawRectangleOutline({at.X - 6, at.Y - 6}, {at.X + 6, at.Y + 6});
  }
}

}  // namespace cz
