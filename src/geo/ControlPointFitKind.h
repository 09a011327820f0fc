#pragma once
// How a chart georeferenced by ground control points is fitted through them: a polynomial of
// order 1, 2 or 3 from model (projected) coordinates to raster, or a thin-plate spline. The
// texts "1", "2", "3" and "spline" are the command line's (/T) and the settings file's.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cz {

enum class ControlPointFitKind : std::uint8_t { Order1, Order2, Order3, Spline };

// The kind a text names, or nothing for any other text (exact, lower case).
std::optional<ControlPointFitKind> ParseControlPointFitKind(std::string_view text);
std::string ControlPointFitKindText(ControlPointFitKind kind);

// "order 2 polynomial", "thin-plate spline": the kind in messages and reports.
std::string ControlPointFitKindName(ControlPointFitKind kind);

// The fewest control points the kind can be fitted through: 3, 6, 10 (the polynomial's
// terms) and 3 for the spline (its affine part).
int MinimumControlPoints(ControlPointFitKind kind);

}  // namespace cz
