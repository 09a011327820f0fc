#pragma once
// DrawGridFromGeoRef: lays the reference grid out and draws it over the chart view. Runs
// after every change of the view or of the georeference.
//
// Drawn in view pixels (ViewMapping), in this order:
// - under the Lambert method with a cone apex, the two extended edge meridians as 1-pixel red
//   lines (from the top ends when the extension runs downward, else from the bottom ends);
// - the reference markers at TopLeft and BottomRight: a cross from 10 pixels before to 10
//   after the point and the outline of the square ±5 about it, once with a 5-pixel navy pen
//   and again with a 1-pixel aqua pen;
// - for each row and within it each column, the grid point marker (the same cross and square,
//   3-pixel dark green then 1-pixel lime, or maroon then red when out of order) and its label
//   "c/r" in navy at (x + 3, y − 20), or at (x + 3, y + 2) when the point's view row is 0.
// A refused layout draws nothing but the empty overlay; a refusal with a text puts it in the
// status line.

#include "geo/GeoReference.h"
#include "georef/GridLayout.h"
#include "georef/GridPainter.h"
#include "georef/ViewMapping.h"
#include "port/UserInterface.h"

namespace cz {

GridLayout DrawGridFromGeoRef(GeoReference& geoRef, const ViewMapping& view, GridPainter& painter,
                              UserInterface& ui);

// The drawing alone, for a layout already made from geoRef.
void DrawReferenceGrid(const GeoReference& geoRef, const GridLayout& layout,
                       const ViewMapping& view, GridPainter& painter);

}  // namespace cz
