#include "geo/Antimeridian.h"

#include <cmath>

#include "geo/GeoReference.h"

namespace cz {

double LongitudeNear(double longitude, double reference) {
  return longitude - 360.0 * std::floor((longitude - reference + 180.0) / 360.0);
}

double LongitudeOnEarth(double longitude) {
  return LongitudeNear(longitude, 0.0);
}

GeoCoord ShownLongitude(double longitude) {
  const GeoCoord units = DegreesToGeoCoord(longitude);
  return units > k180Degrees ? units - k360Degrees : units;
}

double LongitudeEastOf(double east, double west) {
  // east itself when it lies in (west, west + 360], as every chart off 180° has it.
  const double turns = std::ceil((east - west) / 360.0) - 1;
  const double candidate = east - 360.0 * turns;
  return candidate - west <= kMaxGridSteps ? candidate : east;
}

}  // namespace cz
