#pragma once
// The manual grid (GeoReferencingType 1) of a chart that carries its own georeference: every
// whole-degree intersection of the grid is placed exactly where the chart's projection puts it
// (rounded to the nearest pixel), so tile creation needs no hand-placed points.
//
// The grid is a rectangle of one-degree cells, but the whole-degree lines of a projected chart
// are curved and slanted against its edges, so the cells lying wholly inside the chart rarely
// form a rectangle. The grid takes the largest rectangle of cells whose four corners all lie
// inside the chart (the first such rectangle in north-to-south, west-to-east order when several
// are equally large); cells with a corner outside the chart are left out, because tile creation
// would paint the part beyond the chart black over tiles that other charts filled. The corner
// references sit on the rectangle's outermost intersections, its top-left and bottom-right.

#include <string>

#include "geo/GeoReference.h"
#include "georef/GeoTiffReference.h"

namespace cz {

// The grid's part of a georeference: corner references, manual-grid method, no skew, points
// of rows 0..NLat and columns 0..NLon flagged as placed (all others cleared), NLat, NLon,
// GridTopLatitude and GridLeftLongitude. The options keep their defaults.
//
// Throws CartozenError (GeoReferenceProblem with path) when the whole-degree intersections
// inside the chart span more than 63 steps of latitude or longitude, when no whole one-degree
// cell lies inside the chart, or when the grid would be out of order (a chart not drawn north
// up).
//
// enclosingWithoutCell: for a chart with coverage, which paints only its own pixels, a chart
// smaller than any whole cell gets the grid of the whole-degree lines just round it instead
// of the refusal (its points lie outside the chart).
GeoReference GridFromChartProjection(const ChartProjection& chart, const std::string& path,
                                     bool enclosingWithoutCell = false);

}  // namespace cz
