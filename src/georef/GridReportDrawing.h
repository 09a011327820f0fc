#pragma once
// The grid report's markers over the chart view: a square of ±6 view pixels (2 pixels wide)
// round every point where the report puts it, lime when good, yellow when doubtful, red when
// flagged (GraticuleFit.h).

#include "georef/GraticuleFit.h"
#include "georef/GridPainter.h"
#include "georef/ViewMapping.h"

namespace cz {

inline constexpr OverlayColour kYellow{255, 255, 0};

OverlayColour MarkColour(PointMark mark);

// Between the overlay's BeginOverlay and EndOverlay.
void DrawGridReportMarkers(const GridReport& report, const ViewMapping& view, GridPainter& painter);

}  // namespace cz
