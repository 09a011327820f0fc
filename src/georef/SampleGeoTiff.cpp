#include "georef/SampleGeoTiff.h"

#include <geotiff/geo_normalize.h>
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "imaging/Raster32.h"
#include "imaging/TiffFile.h"
#include "imaging/TiffNoData.h"
#include "platform/Error.h"

namespace cz {
namespace {

constexpr int kMaxSide = 1 << 16;
constexpr std::uint32_t kDark = PackPixel(200, 30, 30, 255);
constexpr std::uint32_t kLight = PackPixel(30, 30, 200, 255);
constexpr std::uint32_t kLine = PackPixel(0, 0, 0, 255);
constexpr std::uint32_t kNoData = PackPixel(255, 255, 255, 255);
constexpr std::uint32_t kMargin = PackPixel(255, 255, 255, 255);
constexpr std::uint32_t kLegend = PackPixel(250, 220, 0, 255);
constexpr std::uint32_t kTitle = PackPixel(0, 150, 70, 255);

struct GtifFree {
  void operator()(GTIF* gtif) const { GTIFFree(gtif); }
};

std::string Crs(const SampleGeoTiff& chart) {
  return chart.EpsgCode != 0 ? "EPSG:" + std::to_string(chart.EpsgCode) : chart.Proj4;
}

// One row of positions; missing where PROJ has none (shown as the dark colour).
std::vector<LatLon> RowPositions(const ChartProjection& projection, int y) {
  std::vector<LatLon> row(static_cast<std::size_t>(projection.Width()), LatLon{-999, -999});
  for (int x = 0; x < projection.Width(); ++x) {
    if (const auto p = projection.PositionOf({double(x), double(y)})) row[x] = *p;
  }
  return row;
}

// A whole-degree line passes between two positions.
bool LineBetween(LatLon a, LatLon b) {
  return std::floor(a.Latitude) != std::floor(b.Latitude) ||
         std::floor(a.Longitude) != std::floor(b.Longitude);
}

void WriteKeys(TIFF* tiff, const SampleGeoTiff& chart, const std::string& path) {
  const std::unique_ptr<GTIF, GtifFree> gtif(GTIFNew(tiff));
  if (!gtif) throw CartozenError("Unable to write to " + path);
  if (!chart.ControlPoints.empty()) {
    GTIFKeySet(gtif.get(), GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic);
    GTIFKeySet(gtif.get(), GeographicTypeGeoKey, TYPE_SHORT, 1, 4326);
  } else if (chart.EpsgCode != 0) {
    // Codes of geographic systems lie below 5000 in the EPSG register, projected ones above.
    const bool geographic = chart.EpsgCode < 5000;
    GTIFKeySet(gtif.get(), GTModelTypeGeoKey, TYPE_SHORT, 1,
               geographic ? ModelTypeGeographic : ModelTypeProjected);
    GTIFKeySet(gtif.get(), geographic ? GeographicTypeGeoKey : ProjectedCSTypeGeoKey, TYPE_SHORT, 1,
               chart.EpsgCode);
  } else if (!GTIFSetFromProj4(gtif.get(), chart.Proj4.c_str())) {
    throw CartozenError("Sample chart needs a coordinate system libgeotiff can write");
  }
  GTIFKeySet(gtif.get(), GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
  if (!GTIFWriteKeys(gtif.get())) throw CartozenError("Unable to write to " + path);
}

// The collar colour of pixel (x, y), which lies outside the neat line.
std::uint32_t CollarColour(const SampleGeoTiff& chart, int x, int y) {
  if (y >= chart.Height - chart.Height / 8) return kTitle;
  if (x >= chart.Width - chart.Width / 4) return kLegend;
  return kMargin;
}

}  // namespace

std::array<std::uint32_t, 3> SampleCollarColours() { return {kMargin, kLegend, kTitle}; }

std::uint32_t SampleGeoTiffColour(LatLon position) {
  const auto col = static_cast<std::int64_t>(std::floor(position.Longitude * 6));
  const auto row = static_cast<std::int64_t>(std::floor(position.Latitude * 6));
  return (col + row) % 2 == 0 ? kDark : kLight;
}

std::vector<ControlPoint> SampleControlPoints(const SampleGeoTiff& chart, int columns, int rows) {
  const ChartProjection projection = SampleGeoTiffProjection(chart, "control points");
  std::vector<ControlPoint> points;
  const double left = chart.Width * 0.05, top = chart.Height * 0.05;
  const double dx = chart.Width * 0.9 / std::max(1, columns - 1);
  const double dy = chart.Height * 0.9 / std::max(1, rows - 1);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const double x = std::min(left + c * dx + (r % 2) * dx / 4, chart.Width * 0.95);
      const double y = top + r * dy;
      const std::optional<LatLon> p = projection.PositionOf({x, y});
      if (p) points.push_back({x, y, {p->Longitude, p->Latitude}});
    }
  }
  return points;
}

ChartProjection SampleGeoTiffProjection(const SampleGeoTiff& chart, const std::string& path) {
  return ChartProjection::Make(Crs(chart),
                               {chart.PixelSize, 0, chart.Left, 0, -chart.PixelSize, chart.Top},
                               false, chart.Width, chart.Height, path);
}

namespace {

void WriteChartFile(const SampleGeoTiff& chart, const ChartProjection& projection,
                    const std::string& path, const std::optional<LatLonBox>& neatLine) {
  XTIFFInitialize();
  const TiffHandle tiff(TIFFOpen(path.c_str(), "w"));
  if (!tiff) throw CartozenError("Unable to write to " + path);
  TIFF* t = tiff.get();
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(chart.Width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(chart.Height));
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 16);
  if (chart.ControlPoints.empty()) {
    const double tiePoint[6] = {0, 0, 0, chart.Left, chart.Top, 0};
    const double pixelScale[3] = {chart.PixelSize, chart.PixelSize, 0};
    TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, 6, tiePoint);
    TIFFSetField(t, TIFFTAG_GEOPIXELSCALE, 3, pixelScale);
  } else {
    // PixelIsArea: pixel x's centre is raster x + ½.
    std::vector<double> ties;
    for (const ControlPoint& p : chart.ControlPoints) {
      ties.insert(ties.end(), {p.PixelX + 0.5, p.PixelY + 0.5, 0, p.Model.X, p.Model.Y, 0});
    }
    TIFFSetField(t, TIFFTAG_GEOTIEPOINTS, static_cast<int>(ties.size()), ties.data());
  }
  WriteKeys(t, chart, path);
  if (chart.NoDataBorder > 0) WriteTiffNoData(t, "255");
  const auto inBorder = [&chart](int x, int y) {
    const int b = chart.NoDataBorder;
    return x < b || y < b || x >= chart.Width - b || y >= chart.Height - b;
  };

  // Rows above, at and below the one written, for the lines between neighbours.
  std::vector<LatLon> above, here = RowPositions(projection, 0), below;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(chart.Width) * 3);
  for (int y = 0; y < chart.Height; ++y) {
    below = y + 1 < chart.Height ? RowPositions(projection, y + 1) : std::vector<LatLon>{};
    for (int x = 0; x < chart.Width; ++x) {
      const LatLon p = here[x];
      bool line = false;
      if (chart.WholeDegreeLines) {
        line = (x + 1 < chart.Width && LineBetween(p, here[x + 1])) ||
               (x > 0 && LineBetween(p, here[x - 1])) ||
               (!below.empty() && LineBetween(p, below[x])) ||
               (!above.empty() && LineBetween(p, above[x]));
      }
      std::uint32_t colour = line ? kLine : SampleGeoTiffColour(p);
      if (neatLine && !neatLine->Contains(p.Latitude, p.Longitude)) {
        colour = CollarColour(chart, x, y);
      }
      if (inBorder(x, y)) colour = kNoData;
      rgb[3 * x] = RedOf(colour);
      rgb[3 * x + 1] = GreenOf(colour);
      rgb[3 * x + 2] = BlueOf(colour);
    }
    if (TIFFWriteScanline(t, rgb.data(), static_cast<std::uint32_t>(y), 0) < 0) {
      throw CartozenError("Unable to write to " + path);
    }
    above = std::move(here);
    here = std::move(below);
  }
}

}  // namespace

void WriteSampleGeoTiff(const SampleGeoTiff& chart, const std::string& path,
                        const std::optional<LatLonBox>& neatLine) {
  if (chart.Width < 2 || chart.Height < 2 || chart.Width > kMaxSide || chart.Height > kMaxSide ||
      !(chart.PixelSize > 0) || !std::isfinite(chart.Left) || !std::isfinite(chart.Top)) {
    throw CartozenError("Sample chart needs 2 to 65536 pixels each way and a positive pixel size");
  }
  const ChartProjection projection = SampleGeoTiffProjection(chart, path);
  try {
    WriteChartFile(chart, projection, path, neatLine);
  } catch (...) {
    std::remove(path.c_str());  // no half-written chart is left behind
    throw;
  }
}

}  // namespace cz
