#pragma once
// The EFIS map viewer's logic: the map files of a project drawn around a centre position at
// one tile level, as the EFIS would show them, and the texts of the centre position.
//
// Geometry of a view (all in the 1280 × 1280 ViewBuffer, centre pixel (640, 640)):
// - the centre lies at the fractions d (across, from the tile's west edge) and e (down, from
//   its north edge) of its tile, both single precision; the centre tile's top-left pixel
//   goes to (640 − trunc(W × d), 640 − trunc(600 × e)), so buffer pixel 640 shows the tile
//   pixel that holds the centre;
// - rows are 600 pixels apart; row j (negative to the north) has latitude φc − j × T and its
//   own pitch W = TileWidthAt(latitude, level); tiles of a row are W pixels apart;
// - each row is walked from the centre column west while the last origin lies right of
//   column 0, then east while it lies left of column 1279; rows likewise north, then south.
//   Later tiles overwrite earlier ones where they overlap.
// - Positions east of 180° or west of −180° wrap round the earth; rows north of 90° N or at
//   and south of 90° S have no tiles and stay black. Nothing is looked up outside the grid.
//
// Tiles come from "<project>/EFIS Maps/<cell>.MAP" (always ".MAP", whatever extension the
// builder was given): the slot of the tile's in-cell column and row at the level, then the
// record it points to, decoded by GifTileReader. Missing files, empty slots and refused
// tiles stay black. A slot pointing past the file's end (a corrupt map) throws
// CartozenError with the read error; the ViewBuffer then keeps its previous picture.
//
// The viewer window's "View" button: GetViewerLatLong from the edits into the project's
// viewer position, DrawView, then ShowView into the picture; when DrawView throws, the
// picture is left as it was and the error is shown.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "efismap/GifTileReader.h"
#include "geo/GeoCoord.h"
#include "geo/TileGrid.h"
#include "imaging/Raster32.h"

namespace cz {

inline constexpr std::int32_t kViewBufferSide = 1280;
inline constexpr std::int32_t kViewBufferCentre = 640;
inline constexpr std::int32_t kDefaultViewWidth = 970;  // the viewer window's picture
inline constexpr std::int32_t kDefaultViewHeight = 586;

// A viewer centre in degrees, latitude then longitude (the project's ViewerLatitude and
// ViewerLongitude).
struct ViewerCentre {
  double Latitude = 0.0;
  double Longitude = 0.0;
};

// The texts of the two position edits for a centre ("N47°00.000", "E008°30.000").
struct ViewerCentreText {
  std::string Latitude;
  std::string Longitude;
};
ViewerCentreText UpdateInfo(const ViewerCentre& centre);

// The centre the edits' texts give: the latitude clamped to 90° N / 90° S, the longitude
// moved into −180° .. 180° (ClampLatitude, WrapLongitude). The texts themselves stay as typed.
ViewerCentre GetViewerLatLong(std::string_view latitudeText, std::string_view longitudeText);

// One tile position the walk visits: the position (on the earth: latitude in (−90°, 90°],
// longitude in [−180°, 180°)), where its top-left pixel goes and its row's pitch W.
struct TilePlacement {
  GeoCoord Latitude;
  GeoCoord Longitude;
  std::int32_t X;
  std::int32_t Y;
  std::uint16_t Width;
};

// The tile positions of the view around centre at level, in drawing order. level: 0..4.
std::vector<TilePlacement> PlanView(const ViewerCentre& centre, TileLevel level);

// Owns the ViewBuffer and draws views into it.
class MapViewer {
 public:
  MapViewer();

  // Draws the view around centre at level from the map files of projectFolder (empty: no
  // project open, nothing is found). On success the ViewBuffer holds the new picture; when
  // a map file is corrupt this throws CartozenError and the ViewBuffer is unchanged.
  void DrawView(std::string_view projectFolder, const ViewerCentre& centre, TileLevel level);

  const Raster32& ViewBuffer() const { return buffer_; }

 private:
  Raster32 buffer_;  // the picture shown
  Raster32 work_;    // the picture being drawn
  GifTileReader reader_;
  std::vector<std::uint8_t> chunk_;
};

// Copies the middle of the ViewBuffer into view, whatever its size: with cx = width div 2
// and cy = height div 2, buffer pixel (640 + x, 640 + y) goes to (cx + x, cy + y) for x in
// −cx..cx and y in −cy..cy, where both lie inside; the rest of view is black. Then marks the
// centre with a cross of 21-pixel arms through (cx, cy): a white stroke 5 pixels wide with
// round ends under a black line 1 pixel wide. The view's pixels are opaque (alpha 255),
// since it is shown on screen.
void ShowView(const Raster32& buffer, Raster32& view);

}  // namespace cz
