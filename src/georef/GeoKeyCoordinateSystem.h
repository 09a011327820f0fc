#pragma once
// The coordinate system that a GeoTIFF's GeoKeys describe, as a PROJ object.
//
// A system the keys name by its EPSG code is looked up as "EPSG:n". A user-defined one is put
// together by PROJ from numbers: its base geographic system (an EPSG code, a coded datum, or
// the file's own ellipsoid and prime meridian, with the file's TOWGS84 shift where it gives
// one), its projection method and parameters, and its linear unit. No value from the file is
// formatted into text on the way (libgeotiff's PROJ-string builder writes such values into
// fixed buffers), and every one is checked first: finite, and in range for what it means. A
// value outside that range is refused with a reason that names it.

#include <geotiff/geo_normalize.h>
#include <proj.h>

#include <memory>
#include <string>

namespace cz {

struct ProjObjectFree {
  void operator()(PJ* pj) const { proj_destroy(pj); }
};
using ProjObject = std::unique_ptr<PJ, ProjObjectFree>;

struct GeoKeyCoordinateSystem {
  ProjObject Crs;
  std::string Label;  // "EPSG:n", or PROJ's own description of a built system, for messages
};

// The coordinate system of a normalised GeoKey definition (GTIFGetDefn). Throws CartozenError
// (GeoReferenceProblem with path) for a model that is neither geographic nor projected, an
// unknown code, a projection method this program does not know, or a parameter out of range.
GeoKeyCoordinateSystem CoordinateSystemOfGeoKeys(PJ_CONTEXT* context, const GTIFDefn& keys,
                                                 const std::string& path);

}  // namespace cz
