#include "importer/WebMercator.h"

#include <cmath>
#include <numbers>
#include <string>

#include "platform/Error.h"

namespace cz {

namespace {

double WorldPixels(int zoom) {
  return std::ldexp(256.0, zoom);
}

}  // namespace

std::int32_t WebMercatorX(float longitude, int zoom) {
  const double x = WorldPixels(zoom) * (static_cast<double>(longitude) + 180.0) / 360.0;
  return static_cast<std::int32_t>(std::nearbyint(x));
}

std::int32_t WebMercatorY(float latitude, int zoom) {
  const float s =
      static_cast<float>(std::sin(static_cast<double>(latitude) * std::numbers::pi / 180.0));
  const double sine = s;
  if (sine >= 1.0 || sine <= -1.0) {
    throw CartozenError("The web-mercator position of latitude " +
                        std::to_string(static_cast<int>(latitude)) +
                        " does not exist: web-mercator tiles end at 85.0511 degrees north and "
                        "south");
  }
  const double y =
      WorldPixels(zoom) * (0.5 - std::log((1.0 + sine) / (1.0 - sine)) / (4.0 * std::numbers::pi));
  return static_cast<std::int32_t>(std::nearbyint(y));
}

WebTileIndex WebTileOf(std::int32_t pixel) {
  const std::int32_t tile =
      pixel >= 0 ? pixel / kWebTileSize : -((kWebTileSize - 1 - pixel) / kWebTileSize);
  return {tile, pixel - tile * kWebTileSize};
}

std::int32_t MosaicWidth(int zoom, int degrees) {
  const std::int64_t k = degrees == 4 ? 2 : 1;
  return static_cast<std::int32_t>(((std::int64_t{256} << zoom) / k) / 45);
}

std::int32_t MosaicHeight(float northLatitude, float southLatitude, int zoom) {
  const std::int64_t north = WebMercatorY(northLatitude, zoom);
  const std::int64_t south = WebMercatorY(southLatitude, zoom);
  return static_cast<std::int32_t>(north > south ? north - south : south - north);
}

}  // namespace cz
