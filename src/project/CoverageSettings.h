#pragma once
// A chart's coverage (geo/ChartCoverage.h) in its settings file, in a section of its own that
// readers of the georeference and options never look at:
//
//   [Coverage]  Polygon      "x y x y ..." chart pixels, at least three points
//               North, South, West, East   the box, GeoCoord integers (all four or none)
//               Transparency 1: pixels of alpha 0 lie outside
//
// A chart without coverage has no such section: saving one erases it, so the files of charts
// that never had a coverage stay byte for byte as they were. A value that cannot be read (a
// polygon of odd or non-numeric text, a box of fewer than four keys or in the wrong order)
// reads as absent.

#include <optional>
#include <string>
#include <vector>

#include "geo/ChartCoverage.h"

namespace cz {

ChartCoverage LoadCoverage(const std::string& imagePath);
// Writes coverage into the settings file of the chart at imagePath (nothing without a path).
// Throws CartozenError("Unable to write to " + file name).
void SaveCoverage(const std::string& imagePath, const ChartCoverage& coverage);

// "x y x y ...", and back; nothing when the text is not an even list of 32-bit integers.
std::string PolygonText(const std::vector<CoveragePoint>& polygon);
std::optional<std::vector<CoveragePoint>> ParsePolygonText(const std::string& text);

}  // namespace cz
