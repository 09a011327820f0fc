#pragma once
// The mosaic of the EPSG3857 import: web tiles of one zoom laid edge to edge over an S × S
// degree area (S = 8, or 4 at zoom 11), and the georeference that tells tile creation where
// the whole degrees lie in it.
//
// Layout: the mosaic is (w + 20) × (h + 20) pixels, all 0 (black, alpha 0) before the tiles are
// copied; pixel (i, j) for i < w, j < h holds web pixel (X0 + i, Y0 + j), X0 and Y0 being the
// web pixel of the area's north-west corner. Copied pixels are as the decoder gives them: by
// default red, green and blue with alpha 0; with PngAlpha::Kept they carry the tile's own
// alpha, so that transparent pixels and missing tiles (left 0) are the mosaic's no-map pixels.
// Web tile (x, y) of zoom z is the file <folder>/<z>/<x>/<y>.png (case-insensitive).

#include <cstdint>
#include <string>

#include "geo/GeoReference.h"
#include "imaging/Raster32.h"
#include "importer/PngTileDecoder.h"
#include "port/UserInterface.h"

namespace cz {

// <folder>/<zoom>/<column>/<row>.png, numbers in decimal without padding.
std::string WebTilePath(const std::string& folder, int zoom, std::int32_t column, std::int32_t row);

// The mosaic's area: north-west corner, size in degrees, zoom, and the pixel sizes derived
// from them (MosaicWidth and MosaicHeight of WebMercator.h).
struct MosaicArea {
  std::int32_t NorthEdge = 0;  // whole degrees
  std::int32_t WestEdge = 0;
  std::int32_t Degrees = 8;  // S
  int Zoom = 7;
  std::int32_t Width = 0;   // w
  std::int32_t Height = 0;  // h
};

// The area with w and h computed. Throws CartozenError when a latitude it needs is a pole.
MosaicArea MakeMosaicArea(std::int32_t northEdge, std::int32_t westEdge, std::int32_t degrees,
                          int zoom);

// Copies the web tiles covering the area into mosaic pixels (0..w−1, 0..h−1), which must
// exist. Each file present is decoded once, on worker threads (decoder serves the first;
// ThreadCount.h), and reported in row order through ui.ShowImportReading (then ui.ProcessEvents
// and a ProgressTask::Import report); missing files are skipped silently and leave their
// pixels as they were. Throws what the decoder throws for the first file, in that order, that
// cannot be read or decoded; OperationCancelled("Import cancelled") when CancelRequested().
void LoadPNGTiles(Raster32& mosaic, const std::string& folder, const MosaicArea& area,
                  PngTileDecoder& decoder, UserInterface& ui);

// Gives geo the mosaic's georeference: corner references (0, 0) at the north-west corner and
// (w − 1, h − 1) at the south-east one, the manual-grid method without skews, and the
// (S + 2) × (S + 2) whole-degree grid points: X = trunc(w / S × m), Y = |Y0 − Y(north − k)|,
// each marked as placed. Every other field of geo (the processing options, grid points outside
// that block, the derived layout values) is left as it was.
void SetMosaicGeoReference(GeoReference& geo, const MosaicArea& area);

}  // namespace cz
