#pragma once
// Longitudes of charts that cross 180°.
//
// One rule throughout: a chart's grid, its corner references and its coverage box keep
// continuous longitudes, east always the larger, so a chart from 178° E to 178° W has its grid
// from 178 to 182. The west end lies in −180 .. 180; the east end may pass 180 (by at most the
// grid's 63 degrees). A longitude is wrapped into −180 .. 180 only where it names something on
// the earth: a tile or a map cell (TileGrid.h), and a text shown to a person or typed by one.
// The settings files keep the continuous values as they keep any other (GeoCoord integers).

#include "geo/GeoCoord.h"

namespace cz {

// longitude moved by whole turns into [reference − 180, reference + 180).
double LongitudeNear(double longitude, double reference);

// longitude moved by whole turns into [−180, 180).
double LongitudeOnEarth(double longitude);

// A longitude as its text shows it: past 180° as west of the line (182 as W178°); 180° itself
// stays E180°.
GeoCoord ShownLongitude(double longitude);

// An east longitude (typed, so within −180 .. 180, or kept from before) for a west one: the
// same meridian a whole number of turns away that lies east of west by at most a grid's 63
// degrees, or east as it is when there is none. So E178° to W178° gives 178 to 182, while an
// east typed just west of west (or on it) stays as typed, out of order.
double LongitudeEastOf(double east, double west);

}  // namespace cz
