#pragma once
// A synthetic GeoTIFF chart for the tests, the demo and the window: an RGB TIFF in any
// coordinate system PROJ knows, whose every pixel shows the colour of its latitude and
// longitude, computed through PROJ: a checkerboard of 10-minute squares (its edges are the
// graticule every 10 minutes) and, optionally, the whole-degree graticule as 2-pixel black
// lines. So wherever tiles or a grid put a position, the chart says what must be there.
//
// The GeoTIFF tags: one tie point (raster (0, 0) at model Left, Top) with a pixel scale, or
// instead ground control points as georeferencing tools write them (tie points without a
// scale, in WGS 84 longitude and latitude, EPSG:4326; the pixels still show the chart's own
// projection, the truth a fit is measured against), the raster type PixelIsArea, and the coordinate system as an EPSG code or as the GeoKeys of a
// PROJ string (libgeotiff's GTIFSetFromProj4).
//
// Given a neat line, the chart has a collar as printed charts do: every pixel whose position
// lies outside the neat line shows a collar colour, one the map never uses (SampleCollarColours):
// the margin, a legend box in the right quarter of the image and a title block in the bottom
// eighth.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "geo/ChartCoverage.h"
#include "georef/ControlPointFit.h"
#include "georef/GeoTiffReference.h"

namespace cz {

struct SampleGeoTiff {
  std::string Proj4;     // the coordinate system as a PROJ string, used when EpsgCode is 0
  int EpsgCode = 0;      // a projected or geographic EPSG code
  double Left = 0.0;     // model X of the chart's top-left corner (metres, or degrees)
  double Top = 0.0;      // model Y of that corner
  double PixelSize = 1;  // model units per pixel, both ways
  int Width = 2;         // pixels, 2 to 65536 each way
  int Height = 2;
  bool WholeDegreeLines = true;
  // > 0: a border of that many pixels is white (255, 255, 255), the GDAL_NODATA value "255"
  // written, as a GIS export marks the area outside its map.
  int NoDataBorder = 0;
  // Given: written as tie points (model X longitude, Y latitude) in place of the one tie point
  // and the pixel scale, with the GeoKeys of EPSG:4326.
  std::vector<ControlPoint> ControlPoints{};
};

// columns × rows control points spread evenly over the chart, inset by a twentieth of its size
// and staggered (alternate rows shifted by a quarter step), at their exact longitude and
// latitude.
std::vector<ControlPoint> SampleControlPoints(const SampleGeoTiff& chart, int columns, int rows);

// The collar's colours: margin, legend box, title block (Raster32 pixels, alpha 255).
std::array<std::uint32_t, 3> SampleCollarColours();

// The colour a sample chart shows at a position (a Raster32 pixel, alpha 255).
std::uint32_t SampleGeoTiffColour(LatLon position);

// The chart's projection as the reader will find it in the written file.
ChartProjection SampleGeoTiffProjection(const SampleGeoTiff& chart, const std::string& path);

// Writes the chart as an LZW-compressed RGB GeoTIFF, with a collar round neatLine when given.
// Throws CartozenError for a chart without size ("Sample chart needs ..."), an unknown
// coordinate system, and "Unable to write to " + path.
void WriteSampleGeoTiff(const SampleGeoTiff& chart, const std::string& path,
                        const std::optional<LatLonBox>& neatLine = std::nullopt);

}  // namespace cz
