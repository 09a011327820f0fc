#include "imaging/SampleChart.h"

#include <tiffio.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "imaging/TiffFile.h"
#include "platform/Error.h"

namespace cz {

namespace {

constexpr int kMaxSide = 1 << 16;  // keeps a row and the TIFF's size well within bounds

// Smooth "terrain" colours: a few overlapping waves in latitude and longitude.
void AreaColour(double lat, double lon, unsigned char rgb[3]) {
  const double a =
      std::sin(lat * 2.1) * std::cos(lon * 1.3) + 0.5 * std::sin(lat * 5.3 + lon * 3.7);
  const double b = std::cos(lat * 3.1 - lon * 0.7);
  if (a > 0.6) {  // high ground: browns
    rgb[0] = 190, rgb[1] = 150, rgb[2] = 100;
  } else if (a > 0.1) {
    rgb[0] = 215, rgb[1] = 200, rgb[2] = 150;
  } else if (b > 0.7) {  // lakes
    rgb[0] = 120, rgb[1] = 170, rgb[2] = 225;
  } else {  // lowland greens
    rgb[0] = 170, rgb[1] = 210, rgb[2] = 150;
  }
}

// Distance in pixels from a coordinate to the nearest multiple of step degrees along one axis.
// Scanner-like noise: each channel moves by a sum of four uniform bytes, centred and scaled to
// the standard deviation sigma (close to Gaussian, and the same on every machine for a seed).
void AddNoise(unsigned char* px, std::uint64_t& state, double sigma) {
  // A uniform byte's variance is (256² − 1) / 12; four of them add up.
  const double scale = sigma / std::sqrt(4 * (256.0 * 256.0 - 1) / 12);
  for (int channel = 0; channel < 3; ++channel) {
    state += 0x9E3779B97F4A7C15ull;  // splitmix64
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const double sum = double(z & 255) + double(z >> 8 & 255) + double(z >> 16 & 255) +
                       double(z >> 24 & 255) - 510;
    const double value = std::nearbyint(px[channel] + sum * scale);
    px[channel] = static_cast<unsigned char>(value < 0 ? 0 : value > 255 ? 255 : value);
  }
}

double PixelsToLine(double degrees, double step, double pixelsPerDegree) {
  return std::fabs(std::remainder(degrees, step)) * pixelsPerDegree;
}

}  // namespace

void WriteSampleChart(const SampleChart& chart, const std::string& path) {
  if (chart.Width < 2 || chart.Height < 2 || chart.Width > kMaxSide || chart.Height > kMaxSide ||
      !(chart.LatitudeExtent > 0.0) || !(chart.LongitudeExtent > 0.0)) {
    throw CartozenError("Sample chart needs 2 to 65536 pixels each way and positive extents");
  }
  const TiffHandle tif(TIFFOpen(path.c_str(), "w"));
  if (!tif) throw CartozenError("Unable to write to " + path);
  TIFFSetField(tif.get(), TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(chart.Width));
  TIFFSetField(tif.get(), TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(chart.Height));
  TIFFSetField(tif.get(), TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif.get(), TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif.get(), TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif.get(), TIFFTAG_ROWSPERSTRIP, 16);
  TIFFSetField(tif.get(), TIFFTAG_COMPRESSION, COMPRESSION_NONE);

  const double ppdX = (chart.Width - 1) / chart.LongitudeExtent;
  const double ppdY = (chart.Height - 1) / chart.LatitudeExtent;
  // The marks in pixels, computed once rather than per pixel.
  struct MarkPixel {
    double x, y;
  };
  std::vector<MarkPixel> marks;
  for (const SampleMark& mark : chart.Marks) {
    marks.push_back({(mark.Longitude - chart.West) * ppdX, (chart.North - mark.Latitude) * ppdY});
  }

  std::vector<unsigned char> row(static_cast<std::size_t>(chart.Width) * 3);
  std::uint64_t noise = chart.NoiseSeed;
  for (int y = 0; y < chart.Height; ++y) {
    const double lat = chart.North - chart.LatitudeExtent * y / (chart.Height - 1);
    const double latToDegree = PixelsToLine(lat, 1.0, ppdY);
    const double latToTen = PixelsToLine(lat, 1.0 / 6.0, ppdY);
    for (int x = 0; x < chart.Width; ++x) {
      const double lon = chart.West + chart.LongitudeExtent * x / (chart.Width - 1);
      unsigned char* px = &row[static_cast<std::size_t>(x) * 3];
      AreaColour(lat, lon, px);
      if (latToDegree < 1.5 || PixelsToLine(lon, 1.0, ppdX) < 1.5) {
        px[0] = px[1] = px[2] = 0;
      } else if (latToTen < 0.5 || PixelsToLine(lon, 1.0 / 6.0, ppdX) < 0.5) {
        px[0] = px[1] = px[2] = 70;
      }
      for (const MarkPixel& mark : marks) {
        const double dx = x - mark.x;
        const double dy = y - mark.y;
        if (std::fabs(dx) > 18.0 || std::fabs(dy) > 18.0) continue;
        const double r = std::sqrt(dx * dx + dy * dy);
        const bool ring = r > 9.0 && r < 12.5;
        const bool cross = r < 18.0 && (std::fabs(dx) < 1.5 || std::fabs(dy) < 1.5);
        if (ring || cross) px[0] = 220, px[1] = 0, px[2] = 0;
      }
      if (chart.NoiseSigma > 0) AddNoise(px, noise, chart.NoiseSigma);
    }
    if (TIFFWriteScanline(tif.get(), row.data(), static_cast<std::uint32_t>(y), 0) < 0) {
      throw CartozenError("Unable to write to " + path);
    }
  }
  // Closing flushes the last strip and the directory; a failure there is a failed write too.
  if (!TIFFFlush(tif.get())) throw CartozenError("Unable to write to " + path);
}

}  // namespace cz
