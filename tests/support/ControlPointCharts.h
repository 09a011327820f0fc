#pragma once
// The Lambert dot chart (DotCharts.h) as a georeferencing tool leaves it: a GeoTIFF of ground
// control points (4 × 3, spread over the chart) without a pixel scale. Its pixels and its
// DotChart keep the exact projection, the truth every fit is measured against.

#include <string>

#include "georef/SampleCharts.h"
#include "support/DotCharts.h"

namespace cz::testing {

inline const DotChartCase& ControlPointChartCase() { return kDotCharts[0]; }  // Lambert

// Writes the chart at path with columns × rows control points; returns its layout.
inline SampleGeoTiff WriteControlPointChart(const std::string& path, int columns = 4,
                                            int rows = 3) {
  const DotChartCase& c = ControlPointChartCase();
  SampleGeoTiff layout = CollaredChart(c.proj, c.extent, kDotPixelSize, 0);
  layout.WholeDegreeLines = false;
  layout.ControlPoints = SampleControlPoints(layout, columns, rows);
  WriteSampleGeoTiff(layout, path);
  return layout;
}

}  // namespace cz::testing
