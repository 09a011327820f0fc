#include "georef/GridLayout.h"

#include <cmath>
#include <cstdlib>

#include "geo/Rounding.h"

namespace cz {

namespace {

// Only GeoReferencingType 1 is the manual grid; any other value lays out as the Lambert
// method, so that a stray value in a settings file still gives a complete grid.
bool IsManual(const GeoReference& geoRef) {
  return geoRef.Method() == GeoReferencingMethod::ManualGrid;
}

bool WithinPixelRange(std::int32_t v) {
  return v >= -kMaxPixelCoordinate && v <= kMaxPixelCoordinate;
}

bool WithinSkewRange(std::int32_t skew) {
  return std::llabs(static_cast<long long>(skew)) <= kMaxSkew;
}

// The x step of the whole-degree lattice, the same rule for both axes: pixels between the
// corner references over degrees between them, rounded. Returns the rounded value unconverted
// so that the caller can refuse it before it becomes an integer.
double PixelsPerDegree(std::int32_t fromPixel, std::int32_t toPixel, double degrees) {
  return std::nearbyint((static_cast<double>(toPixel) - fromPixel) / degrees);
}

PixelPoint Point(std::int64_t x, std::int64_t y) {
  return {NarrowToInt32(x), NarrowToInt32(y)};
}

}  // namespace

std::string GridPointName(std::int32_t c, std::int32_t r) {
  return std::to_string(c) + "/" + std::to_string(r);
}

bool CornersInOrder(const GeoReference& geoRef) {
  const CornerReference& tl = geoRef.TopLeft;
  const CornerReference& br = geoRef.BottomRight;
  return tl.X < br.X && tl.Y < br.Y && tl.Longitude < br.Longitude && tl.Latitude > br.Latitude;
}

std::int32_t SkewOffset(const GeoReference& geoRef, std::int32_t c, std::int32_t r) {
  if (IsManual(geoRef) || geoRef.NLon <= 0) return 0;
  const std::int64_t left = std::int64_t{geoRef.SkewLeft} * r * (geoRef.NLon - c);
  const std::int64_t right = std::int64_t{geoRef.SkewRight} * (geoRef.NLat - r) * c;
  const double steps = geoRef.NLon;
  return NarrowToInt32(std::int64_t{RoundToInt32(static_cast<double>(left) / steps)} +
                       RoundToInt32(static_cast<double>(right) / steps));
}

std::int32_t ArcOffset(const ConeGeometry& cone, double theta) {
  if (!cone.Found) return 0;
  const double along = cone.Radius * std::cos(theta);
  if (cone.ApexAbove) {
    return RoundToInt32((static_cast<double>(cone.Origin.Y) - cone.Apex.Y) - along);
  }
  return NarrowToInt32(
      -std::int64_t{RoundToInt32((static_cast<double>(cone.Apex.Y) - cone.Origin.Y) - along)});
}

PixelPoint LambertGridPoint(const GeoReference& geoRef, const GridLayout& layout, std::int32_t c,
                            std::int32_t r) {
  const std::int64_t colX = layout.GridOriginX + std::int64_t{c} * layout.PixelsPerDegreeX;
  const std::int64_t rowY = layout.GridOriginY + std::int64_t{r} * layout.PixelsPerDegreeY;
  const double theta = layout.Cone.LeftAngle - c * layout.Cone.AngleStep;
  return Point(colX + SkewOffset(geoRef, c, r), rowY - ArcOffset(layout.Cone, theta));
}

GridLayout LayoutReferenceGrid(GeoReference& geoRef) {
  GridLayout layout;
  // Out-of-order corners leave everything as the last layout left it.
  if (!CornersInOrder(geoRef)) return layout;

  const auto refuse = [&](LayoutStatus status, const char* text) {
    geoRef.NLon = 0;
    geoRef.NLat = 0;
    layout.Status = status;
    layout.Refusal = text;
    return layout;
  };

  const CornerReference& tl = geoRef.TopLeft;
  const CornerReference& br = geoRef.BottomRight;

  // Step counts in double first: non-finite or huge angles must be refused before they
  // become integers. In-order corners always give at least one step each way.
  const double stepsLon = std::floor(br.Longitude) - std::floor(tl.Longitude) +
                          (br.Longitude != std::floor(br.Longitude));
  const double stepsLat =
      std::floor(tl.Latitude) - std::floor(br.Latitude) + (tl.Latitude != std::floor(tl.Latitude));
  if (!(stepsLon <= kMaxGridSteps && stepsLat <= kMaxGridSteps)) {
    return refuse(LayoutStatus::TooManySteps, "");
  }
  const auto nLon = static_cast<std::int32_t>(stepsLon);
  const auto nLat = static_cast<std::int32_t>(stepsLat);
  const double gridTop = std::ceil(tl.Latitude);
  const double gridLeft = std::floor(tl.Longitude);

  // A grid off the earth would give tile positions outside the tile grid.
  if (gridTop > 90.0 || gridTop - nLat < -90.0 || gridLeft < -180.0 || gridLeft + nLon > 180.0 ||
      !WithinPixelRange(tl.X) || !WithinPixelRange(tl.Y) || !WithinPixelRange(br.X) ||
      !WithinPixelRange(br.Y)) {
    return refuse(LayoutStatus::OutOfRange, kOutOfRangeText);
  }
  const double ppdX = PixelsPerDegree(tl.X, br.X, br.Longitude - tl.Longitude);
  const double ppdY = PixelsPerDegree(tl.Y, br.Y, tl.Latitude - br.Latitude);
  // The corners are in order, so both are positive or zero; zero would make the edge
  // meridians single points and the apex search divide by zero.
  if (ppdX < 1.0 || ppdY < 1.0) {
    return refuse(LayoutStatus::TooFewPixelsPerDegree, kTooFewPixelsPerDegreeText);
  }
  if (ppdX > kMaxPixelsPerDegree || ppdY > kMaxPixelsPerDegree) {
    return refuse(LayoutStatus::OutOfRange, kOutOfRangeText);
  }
  // The skews only shape the grid under the Lambert method; under the manual grid they only
  // serve the apex, which is then left unfound.
  const bool skewsUsable = WithinSkewRange(geoRef.SkewLeft) && WithinSkewRange(geoRef.SkewRight);
  const bool manual = IsManual(geoRef);
  if (!manual && !skewsUsable) return refuse(LayoutStatus::OutOfRange, kOutOfRangeText);

  geoRef.NLon = nLon;
  geoRef.NLat = nLat;
  geoRef.GridTopLatitude = gridTop;
  geoRef.GridLeftLongitude = gridLeft;

  const auto ppdXi = static_cast<std::int32_t>(ppdX);
  const auto ppdYi = static_cast<std::int32_t>(ppdY);
  layout.PixelsPerDegreeX = ppdXi;
  layout.PixelsPerDegreeY = ppdYi;
  const std::int64_t ox = tl.X - std::int64_t{RoundToInt32(ppdXi * (tl.Longitude - gridLeft))};
  const std::int64_t oy = tl.Y - std::int64_t{RoundToInt32(ppdYi * (gridTop - tl.Latitude))};
  layout.GridOriginX = NarrowToInt32(ox);
  layout.GridOriginY = NarrowToInt32(oy);

  const std::int64_t width = std::int64_t{nLon} * ppdXi;
  const std::int64_t height = std::int64_t{nLat} * ppdYi;
  layout.LeftTop = Point(ox, oy);
  layout.LeftBottom = Point(ox + std::int64_t{geoRef.SkewLeft} * nLat, oy + height);
  layout.RightTop = Point(ox + width + std::int64_t{geoRef.SkewRight} * nLat, oy);
  layout.RightBottom = Point(ox + width, oy + height);

  ConeGeometry& cone = layout.Cone;
  cone.Origin = layout.LeftTop;
  if (skewsUsable) {
    // Extend each edge meridian toward the side where it leans inward.
    if (layout.LeftBottom.X < layout.LeftTop.X) {
      layout.LeftExtended = layout.LeftTop;
      ExtendSegment(layout.LeftBottom, layout.LeftExtended);
      cone.ApexAbove = true;
    } else {
      layout.LeftExtended = layout.LeftBottom;
      ExtendSegment(layout.LeftTop, layout.LeftExtended);
      cone.ApexAbove = false;
    }
    if (layout.RightTop.X < layout.RightBottom.X) {
      layout.RightExtended = layout.RightTop;
      ExtendSegment(layout.RightBottom, layout.RightExtended);
    } else {
      layout.RightExtended = layout.RightBottom;
      ExtendSegment(layout.RightTop, layout.RightExtended);
    }
    const SegmentCrossing apex = IntersectSegments(layout.LeftTop, layout.LeftExtended,
                                                   layout.RightTop, layout.RightExtended);
    // An apex on the top or bottom row (the meridians meet at a grid corner) has no cone
    // angle: the angles below would divide by zero. It counts as no apex.
    const std::int64_t toTop = std::int64_t{apex.Point.Y} - oy;
    const std::int64_t toBottom = std::int64_t{apex.Point.Y} - (oy + height);
    if (apex.Found && toTop != 0 && toBottom != 0) {
      cone.Found = true;
      cone.Apex = apex.Point;
    }
  }
  geoRef.Apex = {cone.Found, cone.Apex.X, cone.Apex.Y};

  if (cone.Found) {
    const double dx = static_cast<double>(cone.Apex.X) - ox;
    const double dy = static_cast<double>(cone.Apex.Y) - oy;
    cone.Radius = RoundToInt32(std::sqrt(dy * dy + dx * dx));
    // tan, not atan, of the pixel ratios: the layout has always been tuned with it.
    const double leftAngle = std::tan(dx / dy);
    const double rightAngle =
        std::tan((static_cast<double>(ox + width) - cone.Apex.X) /
                 (static_cast<double>(cone.Apex.Y) - static_cast<double>(oy + height)));
    cone.LeftAngle = leftAngle;
    cone.AngleStep = (leftAngle + rightAngle) / nLon;
  }

  for (std::int32_t r = 0; r <= nLat; ++r) {
    const std::int64_t rowY = oy + std::int64_t{r} * ppdYi;
    const auto rowLatitude = static_cast<float>(gridTop - r);
    for (std::int32_t c = 0; c <= nLon; ++c) {
      const std::int64_t colX = ox + std::int64_t{c} * ppdXi;
      GridPoint& point = geoRef.Grid[c][r];
      if (manual && point.XYSHIFT == 0)
        point = {NarrowToInt32(colX), NarrowToInt32(rowY), point.Latitude, 0};
      // Compared before this point's Lambert update, against neighbours not yet laid out.
      if ((c < nLon && geoRef.Grid[c + 1][r].X < point.X) ||
          (r < nLat && geoRef.Grid[c][r + 1].Y < point.Y)) {
        layout.OutOfOrder[static_cast<std::size_t>(c) * kGridSize + r] = true;
      }
      if (!manual) {
        const PixelPoint lambert = LambertGridPoint(geoRef, layout, c, r);
        point.X = lambert.X;
        point.Y = lambert.Y;
      }
      point.Latitude = rowLatitude;
    }
  }
  layout.Status = LayoutStatus::LaidOut;
  return layout;
}

}  // namespace cz
