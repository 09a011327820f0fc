#pragma once
// How a chart of ground control points is fitted, in its settings file:
//
//   [ControlPoints]  Fit  "1", "2", "3" or "spline" (ControlPointFitKind.h)
//
// Only charts georeferenced from their control points have the section; saving nothing erases
// it, so the files of other charts stay byte for byte as they were. A value that cannot be
// read reads as absent.

#include <optional>
#include <string>

#include "geo/ControlPointFitKind.h"

namespace cz {

std::optional<ControlPointFitKind> LoadControlPointFit(const std::string& imagePath);
// Writes fit into the settings file of the chart at imagePath (nothing without a path).
// Throws CartozenError("Unable to write to " + file name).
void SaveControlPointFit(const std::string& imagePath, std::optional<ControlPointFitKind> fit);

}  // namespace cz
