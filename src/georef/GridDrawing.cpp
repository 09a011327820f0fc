#include "georef/GridDrawing.h"

#include <string>

#include "geo/Rounding.h"

namespace cz {

namespace {

constexpr std::int32_t kCrossReach = 10;
constexpr std::int32_t kSquareReach = 5;
constexpr OverlayPen kReferenceUnderPen{kNavy, 5};
constexpr OverlayPen kReferencePen{kAqua, 1};
constexpr OverlayPen kPointUnderPen{kDarkGreen, 3};
constexpr OverlayPen kPointPen{kLime, 1};
constexpr OverlayPen kOutOfOrderUnderPen{kMaroon, 3};
constexpr OverlayPen kOutOfOrderPen{kRed, 1};
constexpr OverlayPen kMeridianPen{kRed, 1};

// at moved by (dx, dy); a placed point may sit anywhere in the 32-bit range.
PixelPoint Moved(PixelPoint at, std::int32_t dx, std::int32_t dy) {
  return {NarrowToInt32(std::int64_t{at.X} + dx), NarrowToInt32(std::int64_t{at.Y} + dy)};
}

void DrawMarkerShape(GridPainter& painter, PixelPoint at, const OverlayPen& pen) {
  painter.SetPen(pen);
  painter.DrawLine(Moved(at, 0, -kCrossReach), Moved(at, 0, kCrossReach));
  painter.DrawLine(Moved(at, -kCrossReach, 0), Moved(at, kCrossReach, 0));
  painter.DrawRectangleOutline(Moved(at, -kSquareReach, -kSquareReach),
                               Moved(at, kSquareReach, kSquareReach));
}

void DrawMarker(GridPainter& painter, PixelPoint at, const OverlayPen& under,
                const OverlayPen& over) {
  DrawMarkerShape(painter, at, under);
  DrawMarkerShape(painter, at, over);
}

}  // namespace

void DrawReferenceGrid(const GeoReference& geoRef, const GridLayout& layout,
                       const ViewMapping& view, GridPainter& painter) {
  if (!layout.LaidOut()) return;
  if (geoRef.Method() != GeoReferencingMethod::ManualGrid && layout.Cone.Found) {
    painter.SetPen(kMeridianPen);
    if (layout.LeftExtended.Y > layout.LeftTop.Y) {
      painter.DrawLine(view.ToView(layout.LeftTop), view.ToView(layout.LeftExtended));
      painter.DrawLine(view.ToView(layout.RightTop), view.ToView(layout.RightExtended));
    } else {
      painter.DrawLine(view.ToView(layout.LeftBottom), view.ToView(layout.LeftExtended));
      painter.DrawLine(view.ToView(layout.RightBottom), view.ToView(layout.RightExtended));
    }
  }
  for (const CornerReference* corner : {&geoRef.TopLeft, &geoRef.BottomRight}) {
    DrawMarker(painter, view.ToView({corner->X, corner->Y}), kReferenceUnderPen, kReferencePen);
  }
  for (std::int32_t r = 0; r <= geoRef.NLat; ++r) {
    for (std::int32_t c = 0; c <= geoRef.NLon; ++c) {
      const GridPoint& point = geoRef.Grid[c][r];
      const PixelPoint at = view.ToView({point.X, point.Y});
      if (layout.IsOutOfOrder(c, r)) {
        DrawMarker(painter, at, kOutOfOrderUnderPen, kOutOfOrderPen);
      } else {
        DrawMarker(painter, at, kPointUnderPen, kPointPen);
      }
      const PixelPoint label = at.Y == 0 ? Moved(at, 3, 2) : Moved(at, 3, -20);
      painter.DrawText(label, GridPointName(c, r), kNavy);
    }
  }
}

GridLayout DrawGridFromGeoRef(GeoReference& geoRef, const ViewMapping& view, GridPainter& painter,
                              UserInterface& ui) {
  painter.BeginOverlay();
  GridLayout layout = LayoutReferenceGrid(geoRef);
  if (!layout.Refusal.empty()) ui.SetStatusText(layout.Refusal);
  DrawReferenceGrid(geoRef, layout, view, painter);
  painter.EndOverlay();
  return layout;
}

}  // namespace cz
