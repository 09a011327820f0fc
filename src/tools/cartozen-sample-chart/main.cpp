// cartozen-sample-chart: writes a synthetic plate-carrée chart as an RGB TIFF, for the demo
// and for whole-program tests. The chart covers a rectangle of whole or fractional degrees and
// shows smooth coloured areas, a graticule every whole degree (3 px, black) and every 10
// minutes (1 px, dark grey), and a red ringed cross at each mark position.
//
//   cartozen-sample-chart OUT.tif NORTH WEST DLAT DLON WIDTH HEIGHT [LAT,LON ...]
//
// Pixel (x, y) shows longitude WEST + x / (WIDTH − 1) × DLON and latitude
// NORTH − y / (HEIGHT − 1) × DLAT, exactly as a regular whole-degree grid of the chart's
// settings would place it.

#include <tiffio.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Mark {
  double latitude;
  double longitude;
};

struct Chart {
  double north, west, dlat, dlon;
  int width, height;
  std::vector<Mark> marks;

  double LongitudeAt(int x) const { return west + dlon * x / (width - 1); }
  double LatitudeAt(int y) const { return north - dlat * y / (height - 1); }
  double XOf(double longitude) const { return (longitude - west) / dlon * (width - 1); }
  double YOf(double latitude) const { return (north - latitude) / dlat * (height - 1); }
};

// Smooth "terrain" colours: a few overlapping waves in latitude and longitude.
void AreaColour(double lat, double lon, unsigned char rgb[3]) {
  const double a = std::sin(lat * 2.1) * std::cos(lon * 1.3) + 0.5 * std::sin(lat * 5.3 + lon * 3.7);
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

// Distance in pixels from x to the nearest multiple of `step` degrees, along one axis.
double PixelsToLine(double degrees, double step, double pixelsPerDegree) {
  const double r = std::remainder(degrees, step);
  return std::fabs(r) * pixelsPerDegree;
}

bool Write(const Chart& chart, const char* path) {
  TIFF* tif = TIFFOpen(path, "w");
  if (!tif) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, chart.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, chart.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 16);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);

  const double ppdX = (chart.width - 1) / chart.dlon;
  const double ppdY = (chart.height - 1) / chart.dlat;
  std::vector<unsigned char> row(static_cast<std::size_t>(chart.width) * 3);
  for (int y = 0; y < chart.height; ++y) {
    const double lat = chart.LatitudeAt(y);
    const double latToDegree = PixelsToLine(lat, 1.0, ppdY);
    const double latToTen = PixelsToLine(lat, 1.0 / 6.0, ppdY);
    for (int x = 0; x < chart.width; ++x) {
      const double lon = chart.LongitudeAt(x);
      unsigned char* px = &row[static_cast<std::size_t>(x) * 3];
      AreaColour(lat, lon, px);
      const double lonToDegree = PixelsToLine(lon, 1.0, ppdX);
      const double lonToTen = PixelsToLine(lon, 1.0 / 6.0, ppdX);
      if (latToDegree < 1.5 || lonToDegree < 1.5) {
        px[0] = px[1] = px[2] = 0;
      } else if (latToTen < 0.5 || lonToTen < 0.5) {
        px[0] = px[1] = px[2] = 70;
      }
      for (const Mark& mark : chart.marks) {
        const double dx = x - chart.XOf(mark.longitude);
        const double dy = y - chart.YOf(mark.latitude);
        const double r = std::sqrt(dx * dx + dy * dy);
        const bool ring = r > 9.0 && r < 12.5;
        const bool cross = r < 18.0 && (std::fabs(dx) < 1.5 || std::fabs(dy) < 1.5);
        if (ring || cross) px[0] = 220, px[1] = 0, px[2] = 0;
      }
    }
    if (TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0) < 0) {
      TIFFClose(tif);
      return false;
    }
  }
  TIFFClose(tif);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 8) {
    std::fprintf(stderr,
                 "usage: %s OUT.tif NORTH WEST DLAT DLON WIDTH HEIGHT [LAT,LON ...]\n", argv[0]);
    return 2;
  }
  Chart chart{std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4]), std::atof(argv[5]),
              std::atoi(argv[6]), std::atoi(argv[7]), {}};
  if (chart.width < 2 || chart.height < 2 || chart.dlat <= 0 || chart.dlon <= 0) {
    std::fprintf(stderr, "cartozen-sample-chart: size and extents must be positive\n");
    return 2;
  }
  for (int i = 8; i < argc; ++i) {
    Mark mark{};
    if (std::sscanf(argv[i], "%lf,%lf", &mark.latitude, &mark.longitude) != 2) {
      std::fprintf(stderr, "cartozen-sample-chart: cannot read mark '%s' (LAT,LON)\n", argv[i]);
      return 2;
    }
    chart.marks.push_back(mark);
  }
  if (!Write(chart, argv[1])) {
    std::fprintf(stderr, "cartozen-sample-chart: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
