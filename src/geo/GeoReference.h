#pragma once
// The georeference of the current chart: two corner references, the meridian skews, the
// processing options kept with it in the chart's settings file, and the 64 × 64 grid of
// whole-degree intersections with the source pixel at which each lies.
//
// Grid convention: Grid[c][r] is column c (counted eastward) and row r (counted southward);
// point (c, r) is the intersection of latitude GridTopLatitude − r with longitude
// GridLeftLongitude + c. Columns 0..NLon and rows 0..NLat are in use (both at most 63), so
// grid cell (c, r) is the quadrilateral (c, r), (c + 1, r), (c + 1, r + 1), (c, r + 1) covering
// one degree each way. Angles are double degrees here; the settings file keeps GeoCoord.

#include <array>
#include <cstdint>

namespace cz {

inline constexpr int kGridSize = 64;
inline constexpr int kMaxGridSteps = kGridSize - 1;

enum class GeoReferencingMethod : std::uint8_t {
  SemiAutomaticLambert = 0,  // "Semi-automatic, Lambert Conical"
  ManualGrid = 1,            // "Any, manual grid coordinates"
};

struct CornerReference {
  double Latitude = 0.0;   // degrees, north positive
  double Longitude = 0.0;  // degrees, east positive
  std::int32_t X = 0;      // source pixel column
  std::int32_t Y = 0;      // source pixel row
};

struct GridPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  float Latitude = 0.0f;     // latitude of the point's row, rewritten by every layout
  std::uint8_t XYSHIFT = 0;  // 1: placed by a person, MakeMapINI or the import; kept as placed
};

using ReferenceGrid = std::array<std::array<GridPoint, kGridSize>, kGridSize>;  // [c][r]

struct ConeApex {
  bool Found = false;
  std::int32_t ApexX = 0;
  std::int32_t ApexY = 0;
};

struct GeoReference {
  CornerReference TopLeft;
  CornerReference BottomRight;
  std::int32_t SkewLeft = 0;   // pixels of horizontal shift per degree of latitude
  std::int32_t SkewRight = 0;
  std::uint8_t GeoReferencingType = 0;  // a GeoReferencingMethod value
  std::uint8_t MapResolution = 30;      // level mask: bit k = TileLevel k
  std::uint8_t ColorReduction = 2;      // 0..4: 256, 128, 64, 32, 16 colours
  std::uint8_t Dithering = 0;           // 0 none, 1..6 the error-diffusion kernels
  ReferenceGrid Grid{};

  // Derived by every layout, kept until the next one.
  std::int32_t NLon = 0;
  std::int32_t NLat = 0;
  double GridTopLatitude = 0.0;
  double GridLeftLongitude = 0.0;
  ConeApex Apex;

  GeoReferencingMethod Method() const {
    return static_cast<GeoReferencingMethod>(GeoReferencingType);
  }
};

}  // namespace cz
