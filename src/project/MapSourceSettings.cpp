#include "project/MapSourceSettings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "geo/GeoCoord.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "project/IniFile.h"

namespace cz {

namespace {

constexpr char kGeoRef[] = "GeoRef";
constexpr char kOptions[] = "Options";

constexpr std::int32_t kDefaultMapResolution = 30;
constexpr std::int32_t kDefaultGeoReferencingType = 0;
constexpr std::int32_t kDefaultColorReduction = 2;
constexpr std::int32_t kDefaultDithering = 0;

// The three keys of grid point (c, r), built into one reused buffer: LoadMapINI looks up
// 12288 of them.
class GridKeys {
 public:
  void Set(int c, int r) {
    suffix_ = std::to_string(c);
    suffix_ += '/';
    suffix_ += std::to_string(r);
  }
  const std::string& Flag() { return Build("XYSHIFT-"); }
  const std::string& X() { return Build("X-"); }
  const std::string& Y() { return Build("Y-"); }

 private:
  const std::string& Build(const char* prefix) {
    key_ = prefix;
    key_ += suffix_;
    return key_;
  }
  std::string suffix_;
  std::string key_;
};

void WriteGridPoint(IniFile& ini, GridKeys& keys, int c, int r, const GridPoint& point) {
  keys.Set(c, r);
  ini.WriteInteger(kGeoRef, keys.Flag(), point.XYSHIFT);
  ini.WriteInteger(kGeoRef, keys.X(), point.X);
  ini.WriteInteger(kGeoRef, keys.Y(), point.Y);
}

// The fourteen reference and option keys, in the order the files have always had them.
void WriteReferenceAndOptions(IniFile& ini, const GeoReference& geo) {
  ini.WriteInteger(kGeoRef, "TopLeftLatitude", DegreesToGeoCoord(geo.TopLeft.Latitude));
  ini.WriteInteger(kGeoRef, "TopLeftLongitude", DegreesToGeoCoord(geo.TopLeft.Longitude));
  ini.WriteInteger(kGeoRef, "TopLeftY", geo.TopLeft.Y);
  ini.WriteInteger(kGeoRef, "TopLeftX", geo.TopLeft.X);
  ini.WriteInteger(kGeoRef, "BottomRightLatitude", DegreesToGeoCoord(geo.BottomRight.Latitude));
  ini.WriteInteger(kGeoRef, "BottomRightLongitude", DegreesToGeoCoord(geo.BottomRight.Longitude));
  ini.WriteInteger(kGeoRef, "BottomRightY", geo.BottomRight.Y);
  ini.WriteInteger(kGeoRef, "BottomRightX", geo.BottomRight.X);
  ini.WriteInteger(kGeoRef, "SkewLeft", geo.SkewLeft);
  ini.WriteInteger(kGeoRef, "SkewRight", geo.SkewRight);
  ini.WriteInteger(kOptions, "MapResolution", geo.MapResolution);
  ini.WriteInteger(kOptions, "GeoReferencingType", geo.GeoReferencingType);
  ini.WriteInteger(kOptions, "ColorReduction", geo.ColorReduction);
  ini.WriteInteger(kOptions, "Dithering", geo.Dithering);
}

// Nearest integer, ties to even, held inside the 32-bit range (a pixel position of a huge
// image times 63 degrees could pass it).
std::int32_t RoundToInt32(long double value) {
  const long double rounded = std::nearbyint(value);
  constexpr long double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr long double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(rounded, kMin, kMax));
}

std::string DegreesText(long double degrees) {
  std::string text = std::to_string(static_cast<double>(degrees));
  // std::to_string gives six decimals; drop the trailing zeros for the message.
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  return text;
}

}  // namespace

std::string MapSourceSettingsFile(const std::string& imagePath) {
  return ChangeFileExt(imagePath, ".INI");
}

void LoadMapINI(const std::string& imagePath, GeoReference& geo) {
  const IniFile ini(MapSourceSettingsFile(imagePath), IniFile::Reading::Snapshot);
  geo.TopLeft.Latitude = GeoCoordToDegrees(ini.ReadInteger(kGeoRef, "TopLeftLatitude", 0));
  geo.TopLeft.Longitude = GeoCoordToDegrees(ini.ReadInteger(kGeoRef, "TopLeftLongitude", 0));
  geo.TopLeft.Y = ini.ReadInteger(kGeoRef, "TopLeftY", 0);
  geo.TopLeft.X = ini.ReadInteger(kGeoRef, "TopLeftX", 0);
  geo.BottomRight.Latitude = GeoCoordToDegrees(ini.ReadInteger(kGeoRef, "BottomRightLatitude", 0));
  geo.BottomRight.Longitude =
      GeoCoordToDegrees(ini.ReadInteger(kGeoRef, "BottomRightLongitude", 0));
  geo.BottomRight.Y = ini.ReadInteger(kGeoRef, "BottomRightY", 0);
  geo.BottomRight.X = ini.ReadInteger(kGeoRef, "BottomRightX", 0);
  geo.SkewLeft = ini.ReadInteger(kGeoRef, "SkewLeft", 0);
  geo.SkewRight = ini.ReadInteger(kGeoRef, "SkewRight", 0);

  // The options are bytes in memory: a larger stored value keeps its low 8 bits.
  geo.MapResolution =
      static_cast<std::uint8_t>(ini.ReadInteger(kOptions, "MapResolution", kDefaultMapResolution));
  geo.GeoReferencingType = static_cast<std::uint8_t>(
      ini.ReadInteger(kOptions, "GeoReferencingType", kDefaultGeoReferencingType));
  geo.ColorReduction = static_cast<std::uint8_t>(
      ini.ReadInteger(kOptions, "ColorReduction", kDefaultColorReduction));
  geo.Dithering =
      static_cast<std::uint8_t>(ini.ReadInteger(kOptions, "Dithering", kDefaultDithering));

  // The whole grid, whatever part of it the source uses.
  GridKeys keys;
  for (int c = 0; c < kGridSize; ++c) {
    for (int r = 0; r < kGridSize; ++r) {
      GridPoint& point = geo.Grid[c][r];
      keys.Set(c, r);
      point.XYSHIFT = static_cast<std::uint8_t>(ini.ReadInteger(kGeoRef, keys.Flag(), 0));
      point.X = ini.ReadInteger(kGeoRef, keys.X(), 0);
      point.Y = ini.ReadInteger(kGeoRef, keys.Y(), 0);
    }
  }
}

void SaveMapINI(const std::string& imagePath, const GeoReference& geo, bool imageLoaded) {
  // An import mosaic is loaded without a path; its georeference belongs to no file, and
  // writing it would create ".INI" in whatever folder is current.
  if (imagePath.empty()) return;
  IniFile ini(MapSourceSettingsFile(imagePath));
  ini.Batch([&] {
    WriteReferenceAndOptions(ini, geo);
    if (!imageLoaded) return;
    // The layout never leaves more than 63 steps; the bound keeps a stray count inside the grid.
    const int lastRow = std::min(geo.NLat, kMaxGridSteps);
    const int lastColumn = std::min(geo.NLon, kMaxGridSteps);
    GridKeys keys;
    for (int r = 0; r <= lastRow; ++r) {
      for (int c = 0; c <= lastColumn; ++c) WriteGridPoint(ini, keys, c, r, geo.Grid[c][r]);
    }
  });
}

void MakeMapINI(const std::string& imagePath, GeoReference& geo,
                std::optional<LoadedImageSize> image, const float position[4],
                std::int32_t resolutionMask) {
  const std::string file = MapSourceSettingsFile(imagePath);
  // The corners: sums of the single-precision position in extended precision, kept as doubles.
  // A west edge on 180° E is the one on 180° W: the grid's west edge lies in −180 .. 180, its
  // east edge may pass 180° (geo/Antimeridian.h).
  const long double west = position[1] == 180 ? -180.0L : position[1];
  const double topLatitude = position[0];
  const double leftLongitude = static_cast<double>(west);
  const double bottomLatitude =
      static_cast<double>(static_cast<long double>(position[0]) - position[2]);
  const double rightLongitude = static_cast<double>(west + position[3]);
  const long double latitudeExtent = static_cast<long double>(topLatitude) - bottomLatitude;
  const long double longitudeExtent = static_cast<long double>(rightLongitude) - leftLongitude;

  // The corners must lie on the earth: beyond it there are no tiles, and far beyond the
  // GeoCoord integers the file keeps would wrap.
  if (!(std::fabs(topLatitude) <= 90 && bottomLatitude >= -90 && bottomLatitude <= 90 &&
        std::fabs(leftLongitude) <= 180 && rightLongitude >= -180 && rightLongitude < 540)) {
    throw CartozenError("Cannot georeference " + imagePath + ": the position from latitude " +
                        DegreesText(topLatitude) + " to " + DegreesText(bottomLatitude) +
                        " and longitude " + DegreesText(leftLongitude) + " to " +
                        DegreesText(rightLongitude) +
                        " leaves the earth (latitudes -90 to 90, west edge -180 to 180)");
  }
  // The grid is a lattice of whole degrees: an extent below one degree has no step to scale
  // it by, and one of 63 degrees or more would pass the grid's 64 rows or columns.
  const std::string extents =
      DegreesText(latitudeExtent) + " by " + DegreesText(longitudeExtent) + " degrees";
  if (!(latitudeExtent >= 1 && longitudeExtent >= 1)) {
    throw CartozenError("Cannot georeference " + imagePath + ": the position spans " + extents +
                        ", less than one whole degree of latitude or longitude");
  }
  const long double gridTop = std::ceil(static_cast<long double>(topLatitude));
  const long double gridLeft = std::floor(static_cast<long double>(leftLongitude));
  // Rows 0..NLat + 1 and columns 0..NLon + 1; with a fractional extent as many more as it
  // takes to reach the whole degree at or beyond the bottom-right corner.
  const long double lastRowExact = std::max<long double>(
      std::trunc(latitudeExtent) + 1, gridTop - std::floor((long double)bottomLatitude));
  const long double lastColumnExact = std::max<long double>(
      std::trunc(longitudeExtent) + 1, std::ceil((long double)rightLongitude) - gridLeft);
  if (!(lastRowExact <= kMaxGridSteps && lastColumnExact <= kMaxGridSteps)) {
    throw CartozenError("Cannot georeference " + imagePath + ": the position spans " + extents +
                        ", more than the grid of " + std::to_string(kGridSize) + " by " +
                        std::to_string(kGridSize) + " whole-degree points can hold");
  }
  const int lastRow = static_cast<int>(lastRowExact);
  const int lastColumn = static_cast<int>(lastColumnExact);

  const std::int32_t width = image ? image->Width : 0;
  const std::int32_t height = image ? image->Height : 0;
  geo.TopLeft = CornerReference{topLatitude, leftLongitude, 0, 0};
  geo.BottomRight = CornerReference{bottomLatitude, rightLongitude, width - 1, height - 1};
  geo.SkewLeft = 0;
  geo.SkewRight = 0;
  geo.MapResolution = static_cast<std::uint8_t>(resolutionMask);
  geo.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  geo.ColorReduction = 0;
  geo.Dithering = 0;
  geo.NLat = static_cast<std::int32_t>(std::trunc(latitudeExtent));
  geo.NLon = static_cast<std::int32_t>(std::trunc(longitudeExtent));

  IniFile ini(file);
  ini.Batch([&] {
    WriteReferenceAndOptions(ini, geo);
    if (!image) return;
    // Pixels per degree from the true extents, so every point sits on the whole-degree
    // intersection it names also when an extent has a fraction. Row 0 is the parallel at or
    // north of the top edge, column 0 the meridian at or west of the left edge, in either
    // hemisphere: the shifts are the pixel distances from the edges back to them.
    const long double pixelsPerDegreeX = static_cast<long double>(width - 1) / longitudeExtent;
    const long double pixelsPerDegreeY = static_cast<long double>(height - 1) / latitudeExtent;
    const std::int32_t rowShift = RoundToInt32((gridTop - topLatitude) * pixelsPerDegreeY);
    const std::int32_t colShift = RoundToInt32((leftLongitude - gridLeft) * pixelsPerDegreeX);
    GridKeys keys;
    for (int r = 0; r <= lastRow; ++r) {
      for (int c = 0; c <= lastColumn; ++c) {
        GridPoint& point = geo.Grid[c][r];
        point.X = RoundToInt32(pixelsPerDegreeX * c) - colShift;
        point.Y = RoundToInt32(pixelsPerDegreeY * r) - rowShift;
        point.XYSHIFT = 1;
        WriteGridPoint(ini, keys, c, r, point);
      }
    }
  });
}

}  // namespace cz
