#pragma once
// Web-mercator (EPSG3857) pixel arithmetic of the tile import.
//
// Conventions: at zoom z the web map is a square of 2^z × 2^z tiles of 256 × 256 pixels.
// Pixel column X counts eastward from 180° W, pixel row Y southward from the top of the square
// (about 85.0511° N). Latitudes and longitudes are whole degrees, handled as single-precision
// numbers as the tile servers' formula is usually written; results are rounded to the nearest
// integer with ties to even. Tile column and row are floor divisions, so positions left of or
// above the square get negative tiles and offsets 0 to 255.

#include <cstdint>

namespace cz {

inline constexpr std::int32_t kWebTileSize = 256;
inline constexpr int kFirstImportZoom = 7;
inline constexpr int kLastImportZoom = 11;
inline constexpr double kMercatorLatitudeLimit = 85.0511287798;  // the square's edge

// X = round(2^z × 256 × (λ + 180) / 360).
std::int32_t WebMercatorX(float longitude, int zoom);

// Y = round(2^z × 256 × (0.5 − ln((1 + s) / (1 − s)) / (4π))), s = sin(φ π / 180) held in
// single precision. Finite for every latitude whose sine is not ±1 in single precision, that
// is for all whole degrees between −89 and 89; at the poles the value does not exist and
// CartozenError is thrown (callers refuse such cells first, see CheckImportCell).
std::int32_t WebMercatorY(float latitude, int zoom);

// The tile holding a pixel coordinate and the pixel's offset inside it.
struct WebTileIndex {
  std::int32_t Tile;    // floor(pixel / 256)
  std::int32_t Offset;  // pixel − 256 × Tile, 0..255
};
WebTileIndex WebTileOf(std::int32_t pixel);

// Pixels of `degrees` of longitude at zoom z, rounded down: (256 × 2^z ÷ k) div 45 with k = 1
// for an 8-degree mosaic and k = 2 for a 4-degree one (728, 1456, 2912, 5825 for 8 degrees at
// zoom 7 to 10; 5825 for 4 degrees at zoom 11). degrees must be 8 or 4.
std::int32_t MosaicWidth(int zoom, int degrees);

// Rows between two whole-degree latitudes: |Y(north) − Y(south)|.
std::int32_t MosaicHeight(float northLatitude, float southLatitude, int zoom);

}  // namespace cz
