#pragma once
// The current map source: the chart image, its pixels and its georeference (the in-memory
// image of its settings file), and that settings file read and written for it.

#include <cstdint>
#include <string>

#include "geo/ChartCoverage.h"
#include "geo/GeoReference.h"
#include "imaging/Raster32.h"

namespace cz {

inline constexpr char kNoMapImageLoadedText[] = "No map image loaded - nothing to process...";

struct MapSourceState {
  std::string Path;  // full path of the chart image; its settings file is beside it
  Raster32 Image;    // empty when no image is loaded
  bool Loaded = false;
  std::uint64_t RequiredBytes = 0;  // width × height × 4 of the last image header read, for
                                    // the load-failure message; 0 until a header is read
  std::string LoadFailureCause;     // why the last load failed, said beside that message
                                    // (LoadFailureCauseText); empty after a load that worked
  GeoReference GeoRef;
  ChartCoverage Coverage;  // the part of the chart that is map; kept in its settings file
};

// The settings file of source.Path (MapSourceSettings.h, CoverageSettings.h) read into
// source.GeoRef and source.Coverage, written from them (the grid points only while the image
// is loaded), and made afresh by the command line from the loaded image's size (the coverage
// is then the caller's to set and save).
void LoadMapINI(MapSourceState& source);
void SaveMapINI(const MapSourceState& source);
void MakeMapINI(MapSourceState& source, const float position[4], std::int32_t resolutionMask);

}  // namespace cz
