#include "imaging/MapSource.h"

#include <optional>

#include "project/CoverageSettings.h"
#include "project/MapSourceSettings.h"

namespace cz {

void LoadMapINI(MapSourceState& source) {
  LoadMapINI(source.Path, source.GeoRef);
  source.Coverage = LoadCoverage(source.Path);
}

void SaveMapINI(const MapSourceState& source) {
  SaveMapINI(source.Path, source.GeoRef, source.Loaded);
  SaveCoverage(source.Path, source.Coverage);
}

void MakeMapINI(MapSourceState& source, const float position[4], std::int32_t resolutionMask) {
  std::optional<LoadedImageSize> image;
  if (source.Loaded) image = LoadedImageSize{source.Image.Width(), source.Image.Height()};
  MakeMapINI(source.Path, source.GeoRef, image, position, resolutionMask);
}

}  // namespace cz
