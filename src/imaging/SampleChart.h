#pragma once
// A synthetic chart for the demonstration and the whole-program tests: an RGB TIFF in plate
// carrée over a rectangle of degrees, showing smooth coloured areas, a graticule every whole
// degree (3 pixels, black) and every 10 minutes (1 pixel, dark grey), and a red ringed cross
// at each mark; optionally scanner-like noise (for benchmarks).
//
// Pixel (x, y) shows longitude West + x / (Width − 1) × LongitudeExtent and latitude
// North − y / (Height − 1) × LatitudeExtent: exactly where the regular whole-degree grid of a
// command-line position (/X North West LatitudeExtent LongitudeExtent) places it, so tiles
// made from it show the graticule on the tile edges.

#include <cstdint>
#include <string>
#include <vector>

namespace cz {

struct SampleMark {
  double Latitude = 0.0;
  double Longitude = 0.0;
};

struct SampleChart {
  double North = 0.0;
  double West = 0.0;
  double LatitudeExtent = 1.0;   // degrees southward, > 0
  double LongitudeExtent = 1.0;  // degrees eastward, > 0
  int Width = 2;                 // pixels, at least 2 each way
  int Height = 2;
  std::vector<SampleMark> Marks;
  double NoiseSigma = 0;       // > 0: near-Gaussian noise of this deviation on every channel
  std::uint64_t NoiseSeed = 1;  // the same seed gives the same noise
};

// Writes the chart as an uncompressed RGB TIFF. Throws CartozenError for a chart without a
// size or extent ("Sample chart needs ...") and "Unable to write to " + path.
void WriteSampleChart(const SampleChart& chart, const std::string& path);

}  // namespace cz
