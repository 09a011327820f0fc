#pragma once
// The reference-grid layout: from the corner references, the skews and the method of a
// GeoReference, where every whole-degree intersection lies on the chart.
//
// LayoutReferenceGrid is pure (no drawing, no user interface): it rewrites the grid points
// and the derived values NLon, NLat, GridTopLatitude, GridLeftLongitude and Apex, and
// returns what the drawing needs and whether the layout was refused. Callers show a refusal
// by putting GridLayout::Refusal in the status line when it is not empty
// (DrawGridFromGeoRef does that).
//
// Two methods (GeoReference::GeoReferencingType):
// - SemiAutomaticLambert: every point is computed. Meridians are straight lines between the
//   edge meridians, whose slant comes from SkewLeft (moves the lower end of the left meridian)
//   and SkewRight (moves the upper end of the right one), in pixels per degree of latitude.
//   Parallels are arcs about the cone apex, where the extended edge meridians meet.
// - ManualGrid: points the operator placed (XYSHIFT = 1) stay; the others go onto the
//   regular lattice between the corner references.
//
// Refusals:
// - Corner references out of order (CornersInOrder false): nothing changes at all, the step
//   counts and the grid keep the values of the last layout; no text.
// - More than 63 steps of latitude or longitude: no text.
// - Less than one pixel per degree after rounding, which would make the meridians degenerate:
//   "Georeference refused: less than one pixel per degree between the corner references".
// - Values no chart has, which would overflow the pixel arithmetic or leave the tile grid:
//   a grid reaching beyond 90° of latitude or 180° of longitude, corner pixels beyond
//   ±kMaxPixelCoordinate, more than kMaxPixelsPerDegree, or under SemiAutomaticLambert a skew
//   beyond ±kMaxSkew: "Georeference refused: corner references or skews out of range".
// Every refusal but the first sets NLon and NLat to 0, so that tile creation finds no usable
// georeferencing, and moves no grid point.
//
// All integer products are exact (the layout's limits keep them inside 32 bits); divisions
// are in double precision; Round is to nearest with ties to even.

#include <bitset>
#include <cstdint>
#include <string>

#include "geo/GeoReference.h"
#include "georef/Segments.h"

namespace cz {

// Limits of a georeference the layout accepts (see Refusals above). They are far beyond any
// real chart and keep every intermediate pixel value well inside 32 bits.
inline constexpr std::int32_t kMaxPixelCoordinate = 1 << 27;
inline constexpr std::int32_t kMaxPixelsPerDegree = 1000000;
inline constexpr std::int32_t kMaxSkew = 100000;

inline constexpr const char* kTooFewPixelsPerDegreeText =
    "Georeference refused: less than one pixel per degree between the corner references";
inline constexpr const char* kOutOfRangeText =
    "Georeference refused: corner references or skews out of range";

// TopLeft.X < BottomRight.X, TopLeft.Y < BottomRight.Y, TopLeft.Longitude <
// BottomRight.Longitude and TopLeft.Latitude > BottomRight.Latitude.
bool CornersInOrder(const GeoReference& geoRef);

// A grid point's name as the overlay labels it and the reports list it: "column/row", from 0 at
// the north-west.
std::string GridPointName(std::int32_t c, std::int32_t r);

// The Lambert method's horizontal shift of grid point (c, r) from the regular lattice:
// Round(SkewLeft × r × (NLon − c) / NLon) + Round(SkewRight × (NLat − r) × c / NLon), each
// term rounded by itself. 0 under ManualGrid, and 0 while NLon is not positive.
std::int32_t SkewOffset(const GeoReference& geoRef, std::int32_t c, std::int32_t r);

// The cone of the edge meridians as the layout found it, in source pixels.
struct ConeGeometry {
  bool Found = false;      // the edge meridians meet (and not on the top or bottom row)
  bool ApexAbove = false;  // the apex lies above the chart (meridians converge upward)
  PixelPoint Apex;
  PixelPoint Origin;  // grid point (0, 0) before any skew
  std::int32_t Radius = 10000;
  double LeftAngle = 0.0;  // tan of the pixel ratio, as the layout has always used it
  double AngleStep = 0.0;
};

// The vertical distance between the straight row of the regular lattice and the parallel's
// arc at angle theta: Round((Origin.Y − Apex.Y) − Radius × cos θ) with the apex above,
// −Round((Apex.Y − Origin.Y) − Radius × cos θ) with it below, 0 without an apex.
std::int32_t ArcOffset(const ConeGeometry& cone, double theta);

enum class LayoutStatus : std::uint8_t {
  LaidOut,
  CornersOutOfOrder,
  TooManySteps,
  TooFewPixelsPerDegree,
  OutOfRange,
};

// What a layout computed, for the drawing and for tests.
struct GridLayout {
  LayoutStatus Status = LayoutStatus::CornersOutOfOrder;
  std::string Refusal;  // status-line text for the operator; empty when nothing is to be said

  std::int32_t PixelsPerDegreeX = 0;
  std::int32_t PixelsPerDegreeY = 0;
  std::int32_t GridOriginX = 0;  // where grid point (0, 0) lies before any skew
  std::int32_t GridOriginY = 0;
  // The edge meridians, their top and bottom ends, and the points far beyond the end toward
  // which each was extended to find the apex.
  PixelPoint LeftTop, LeftBottom, RightTop, RightBottom;
  PixelPoint LeftExtended, RightExtended;
  ConeGeometry Cone;
  // Points whose right neighbour lay to their left or whose lower neighbour lay above them,
  // compared just before each point was placed. Index c × kGridSize + r.
  std::bitset<kGridSize * kGridSize> OutOfOrder;

  bool LaidOut() const { return Status == LayoutStatus::LaidOut; }
  bool IsOutOfOrder(std::int32_t c, std::int32_t r) const {
    return OutOfOrder[static_cast<std::size_t>(c) * kGridSize + r];
  }
};

// Lays the grid out (see the top of this file). Never throws.
GridLayout LayoutReferenceGrid(GeoReference& geoRef);

// Where the Lambert method puts the intersection of grid column c and row r, for any c and r,
// also beyond the grid (the partial cells round a chart with coverage): the regular lattice
// of layout, shifted by SkewOffset and bent onto the parallel's arc. geoRef and layout are
// those of a layout that laid the grid out under the Lambert method.
PixelPoint LambertGridPoint(const GeoReference& geoRef, const GridLayout& layout, std::int32_t c,
                            std::int32_t r);

}  // namespace cz
