#pragma once
// A scan-like chart whose truth is known, for the grid fit: a Lambert chart of 200 m pixels
// with its whole-degree graticule (1.6 px meridians, 2.4 px parallels) on pale tints, scanned
// with a rotation of 0.5° and a non-linear paper stretch of up to 0.8 %, blurred, with noise of
// σ 6 and written as a JPEG of quality 75; a label and two roads cross near every
// intersection, and a legend box covers one. Its grid spans 49° to 47° N, 7° to 10° E.

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "georef/GeoTiffReference.h"
#include "georef/GridLayout.h"
#include "imaging/ChartReaders.h"

namespace cz::testing {

constexpr char kLambert[] =
    "+proj=lcc +lat_1=45 +lat_2=51 +lat_0=48 +lon_0=8.5 +datum=WGS84 +units=m +no_defs";
constexpr double kPixelSize = 200;
constexpr int kWidth = 1400, kHeight = 1400;
constexpr double kTop = 49, kLeft = 7;  // the grid's north-west intersection
constexpr int kNLon = 3, kNLat = 2;
constexpr int kCoveredColumn = 2, kCoveredRow = 1;  // the intersection under the legend box

// The scanner's distortion of the printed chart: a rotation of 0.5° about the centre and a
// non-linear stretch of up to 0.8 % each way.
struct Scan {
  double Cos = std::cos(0.5 * M_PI / 180), Sin = std::sin(0.5 * M_PI / 180);
  double Cx = kWidth / 2.0, Cy = kHeight / 2.0;
  // Stretch growing smoothly across the sheet, from none at its top-left to 0.8 % at its far
  // edges, and a slight shear that grows down it.
  void Stretch(double x, double y, double& dx, double& dy) const {
    dx = 0.004 * x * x / kWidth + 0.002 * y * y / kHeight;
    dy = 0.004 * y * y / kHeight;
  }
  // Printed chart pixel → scan pixel.
  ChartPixel Forward(ChartPixel p) const {
    const double x = Cx + Cos * (p.X - Cx) - Sin * (p.Y - Cy);
    const double y = Cy + Sin * (p.X - Cx) + Cos * (p.Y - Cy);
    double dx = 0, dy = 0;
    Stretch(x, y, dx, dy);
    return {x + dx, y + dy};
  }
  ChartPixel Inverse(ChartPixel s) const {
    double x = s.X, y = s.Y;
    for (int k = 0; k < 8; ++k) {
      double dx = 0, dy = 0;
      Stretch(x, y, dx, dy);
      x = s.X - dx, y = s.Y - dy;
    }
    return {Cx + Cos * (x - Cx) + Sin * (y - Cy), Cy - Sin * (x - Cx) + Cos * (y - Cy)};
  }
};

struct ScanLikeChart {
  ChartProjection projection = ChartProjection::Make(
      kLambert, {kPixelSize, 0, -kWidth / 2 * kPixelSize, 0, -kPixelSize, 150000}, false, kWidth,
      kHeight, "scan");
  Scan scan;
  // Where intersection (c, r) of the grid truly lies on the scan.
  ChartPixel Truth(int c, int r) const {
    return scan.Forward(*projection.PixelOf({kTop - r, kLeft + c}));
  }
};

inline double Coverage(double distance, double width) {
  return std::clamp(width / 2 + 0.5 - distance, 0.0, 1.0);
}

// The scan as RGB rows, before blur, noise and JPEG.
inline std::vector<double> Draw(const ScanLikeChart& chart, bool graticule) {
  std::vector<double> grey(static_cast<std::size_t>(kWidth) * kHeight);
  const ChartPixel legend = chart.Truth(kCoveredColumn, kCoveredRow);
  std::vector<ChartPixel> truths;  // of every intersection, row by row
  for (int r = 0; r <= kNLat; ++r) {
    for (int c = 0; c <= kNLon; ++c) truths.push_back(chart.Truth(c, r));
  }
  // Latitude and longitude of the scan's pixels: exact every 8 pixels, bilinear between.
  constexpr int kStep = 8, kColumns = kWidth / kStep + 2;
  std::vector<LatLon> lattice;
  for (int y = 0; y < kHeight + kStep; y += kStep) {
    for (int x = 0; x < kColumns * kStep; x += kStep) {
      lattice.push_back(*chart.projection.PositionOf(chart.scan.Inverse({double(x), double(y)})));
    }
  }
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const int i = x / kStep, j = y / kStep;
      const double fx = double(x % kStep) / kStep, fy = double(y % kStep) / kStep;
      const auto at = [&](int ii, int jj) { return lattice[static_cast<std::size_t>(jj) * kColumns + ii]; };
      const auto mix = [&](auto field) {
        return (field(at(i, j)) * (1 - fx) + field(at(i + 1, j)) * fx) * (1 - fy) +
               (field(at(i, j + 1)) * (1 - fx) + field(at(i + 1, j + 1)) * fx) * fy;
      };
      const LatLon p{mix([](LatLon l) { return l.Latitude; }), mix([](LatLon l) { return l.Longitude; })};
      // Pale tints in 20-minute patches.
      double v = 235 + 12 * ((int(std::floor(p.Latitude * 3)) + int(std::floor(p.Longitude * 3))) % 2);
      if (graticule) {
        const double perLat = 111200 / kPixelSize, perLon = perLat * std::cos(p.Latitude * M_PI / 180);
        const double toMeridian = std::fabs(p.Longitude - std::round(p.Longitude)) * perLon;
        const double toParallel = std::fabs(p.Latitude - std::round(p.Latitude)) * perLat;
        const double ink = std::max(Coverage(toMeridian, 1.6), Coverage(toParallel, 2.4));
        v = v * (1 - ink) + 30 * ink;
      }
      // Roads through points near each intersection, and a label beside it.
      for (const ChartPixel& t : truths) {
        const double ax = x - (t.X + 14), ay = y - (t.Y - 9);
        const double road1 = std::fabs(ax * std::sin(0.45) - ay * std::cos(0.45));
        const double road2 = std::fabs(ax * std::sin(1.2) - ay * std::cos(1.2));
        if (std::hypot(ax, ay) < 140) v = std::min(v, 255 - 170 * std::max(Coverage(road1, 2.5), Coverage(road2, 2)));
        const int lx = x - int(t.X + 5), ly = y - int(t.Y - 16);
        if (lx >= 0 && lx < 24 && ly >= 0 && ly < 9 && (lx % 4 != 3) && ((lx * 7 + ly * 3) % 5 < 3)) v = 40;
      }
      // The legend box: a frame and text over everything round one intersection.
      if (std::fabs(x - legend.X) < 170 && std::fabs(y - legend.Y) < 240) {
        const bool frame = std::fabs(x - legend.X) > 166 || std::fabs(y - legend.Y) > 236;
        v = frame ? 20 : ((x / 3 + y / 5) % 7 == 0 ? 60 : 250);
      }
      grey[static_cast<std::size_t>(y) * kWidth + x] = v;
    }
  }
  return grey;
}

// Blur, noise of σ 6 and a JPEG of quality 75, read back as the program reads charts.
inline Raster32 Scanned(const std::vector<double>& grey, const std::string& path) {
  std::vector<double> blurred(grey.size());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      double sum = 0, weight = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const int xx = std::clamp(x + dx, 0, kWidth - 1), yy = std::clamp(y + dy, 0, kHeight - 1);
          const double w = (2 - std::abs(dx)) * (2 - std::abs(dy));
          sum += w * grey[static_cast<std::size_t>(yy) * kWidth + xx], weight += w;
        }
      }
      blurred[static_cast<std::size_t>(y) * kWidth + x] = sum / weight;
    }
  }
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0, 6);
  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  jpeg_stdio_dest(&info, file);
  info.image_width = kWidth;
  info.image_height = kHeight;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 75, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(kWidth) * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double v = blurred[static_cast<std::size_t>(y) * kWidth + x];
      for (int k = 0; k < 3; ++k) {
        row[3 * x + k] = static_cast<JSAMPLE>(std::clamp(std::lround(v + noise(random)), 0L, 255L));
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
  Raster32 raster;
  std::uint64_t bytes = 0;
  ReadJpegChart(path, raster, bytes);
  return raster;
}

// The two-corner Lambert model through the truth of the grid's corners, as a person clicks them.
inline GeoReference TwoCornerModel(const ScanLikeChart& chart) {
  GeoReference geo;
  const ChartPixel tl = chart.Truth(0, 0), br = chart.Truth(kNLon, kNLat);
  geo.TopLeft = {kTop, kLeft, int(std::lround(tl.X)), int(std::lround(tl.Y))};
  geo.BottomRight = {kTop - kNLat, kLeft + kNLon, int(std::lround(br.X)), int(std::lround(br.Y))};
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::SemiAutomaticLambert);
  LayoutReferenceGrid(geo);
  return geo;
}

}  // namespace cz::testing
