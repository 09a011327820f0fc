#pragma once
// The settings file of a map source: "<image path without extension>.INI" beside the chart,
// holding its georeference and processing options.
//
//   [GeoRef]   TopLeftLatitude, TopLeftLongitude (GeoCoord), TopLeftY, TopLeftX,
//              BottomRightLatitude, BottomRightLongitude (GeoCoord), BottomRightY, BottomRightX,
//              SkewLeft, SkewRight, and per grid point (column c, row r, 0..63):
//              XYSHIFT-c/r, X-c/r, Y-c/r                                       (defaults 0)
//   [Options]  MapResolution (30), GeoReferencingType (0), ColorReduction (2), Dithering (0)
//
// Options keep the low 8 bits of what is stored (286 reads as 30). Latitudes and longitudes
// are GeoCoord integers in the file and double degrees in memory, rounded half to even on
// writing. Each operation writes the file once (one IniFile batch), atomically; a file that
// cannot be written throws CartozenError("Unable to write to " + file name).

#include <cstdint>
#include <optional>
#include <string>

#include "geo/GeoReference.h"

namespace cz {

// imagePath with its extension replaced by ".INI" (appended when it has none).
std::string MapSourceSettingsFile(const std::string& imagePath);

// The pixel size of the loaded chart, for the settings that depend on it.
struct LoadedImageSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
};

// Reads the settings file of the chart at imagePath into geo: the reference keys, the options
// and all 64 × 64 grid points. A missing file gives the defaults. The step counts are not
// stored; the grid layout computes them.
void LoadMapINI(const std::string& imagePath, GeoReference& geo);

// Writes geo into the settings file of the chart at imagePath: reference keys and options,
// and, when the image is loaded, the grid points of rows 0..NLat and columns 0..NLon (nothing
// for a negative count; never past row or column 63). Other grid keys already in the file stay
// as they are. A source without a path (the EPSG3857 import's mosaic) has no settings file:
// nothing is written.
void SaveMapINI(const std::string& imagePath, const GeoReference& geo, bool imageLoaded);

// The command line's fresh georeference geo for the chart at imagePath, written to its settings
// file; image is the loaded image's size (nothing when none is loaded: the corners and options
// are then written without grid points). Top-left corner at
// (position[0] N, position[1] E) on pixel (0, 0), bottom-right corner position[2] degrees
// south and position[3] east of it on the last pixel, no skew, manual grid, MapResolution =
// the low 8 bits of resolutionMask, no colour reduction or dithering. Then the regular grid of
// whole-degree points, rows 0..NLat + 1 and columns 0..NLon + 1 (NLat, NLon = whole degrees of
// the extents, truncated), each placed on the intersection it names and flagged as placed.
//
// Refused, by throwing CartozenError before anything is written or changed:
// - an extent below one whole degree (no grid step fits; the grid would have no scale),
// - an extent of 63 or more whole degrees (the grid would pass its 64th row or column).
// The command-line run reports the error in its log.
void MakeMapINI(const std::string& imagePath, GeoReference& geo,
                std::optional<LoadedImageSize> image, const float position[4],
                std::int32_t resolutionMask);

}  // namespace cz
