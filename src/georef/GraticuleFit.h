#pragma once
// Fitting a chart's whole-degree grid to the graticule printed on it.
//
// A scanned chart is never exactly its model (paper stretch, scanner skew, printing), so the
// printed meridians and parallels lie some pixels off the lines a layout computes. For every
// point of the grid (laid out by either method) FindGraticule looks for the printed crossing
// round the point's predicted position:
// - the directions of its meridian and parallel come from the grid (its neighbours);
// - each line is found from profiles across it at stations along a stretch on both sides of
//   the crossing, not at the crossing itself: the profiles' sum over the stretch finds the
//   line (labels, roads and symbols that cross it near the point do not run along it), each
//   station's own sub-pixel position then follows it, and a straight fit through the stations,
//   with the ones that disagree left out, gives the line's position at the point;
// - the point is where the two fitted lines cross; its confidence comes from the lines'
//   contrast and how many stations agree.
// A point is accepted only where its shift from the model agrees with a smooth fit of its
// neighbours' shifts (GridResiduals); the rest keep their model position and are flagged.
//
// GridResiduals is the check of any grid, hand-placed ones too: each point against a smooth
// surface (quadratic where enough neighbours allow it) through the points round it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "geo/GeoReference.h"
#include "georef/ControlPointFit.h"
#include "georef/GeoTiffReference.h"
#include "georef/GridLayout.h"
#include "imaging/Raster32.h"

namespace cz {

// A point is flagged when its residual exceeds its allowance, kFlaggedResidual or 2 % of its
// cells' size, whichever is more; doubtful beyond half of it; good within.
inline constexpr double kFlaggedResidual = 4.0;  // chart pixels

enum class PointMark : std::uint8_t { Good, Doubtful, Flagged };

// "good", "doubtful" or "flagged".
const char* MarkName(PointMark mark);

struct ReportedPoint {
  std::int32_t Column = 0, Row = 0;  // grid point (c, r)
  ChartPixel Model;                  // where the grid had it
  ChartPixel Found;                  // where the fit puts it (Model when not found or flagged)
  bool Located = false;              // the printed crossing was found
  double Confidence = 0;             // 0 .. 1
  double Residual = 0;               // chart pixels from the smooth fit of its neighbours
  PointMark Mark = PointMark::Flagged;

  std::string Name() const { return GridPointName(Column, Row); }
  double ShiftX() const { return Found.X - Model.X; }
  double ShiftY() const { return Found.Y - Model.Y; }
};

struct GridReport {
  std::int32_t Columns = 0, Rows = 0;  // points per row and per column (NLon + 1, NLat + 1)
  std::vector<ReportedPoint> Points;   // row by row from the north-west
  double Rms = 0;                      // of the residuals of the points not flagged

  std::int32_t Flagged() const;
  // Indices of the points, largest residual first.
  std::vector<std::size_t> Worst() const;
};

// Called after each point with the share done (up to 1); returns false to stop (the fit then
// throws OperationCancelled).
using FitProgress = std::function<bool(double)>;

// The fit of every point of geo's grid (NLon + 1 by NLat + 1, the layout's) on chart.
GridReport FindGraticule(const Raster32& chart, const GeoReference& geo,
                         const FitProgress& progress = {});

// geo with the fitted grid: the manual method, every accepted point at its found position
// (rounded to a pixel) and flagged as placed, the others where the model had them. geo as it
// was when no point was accepted.
GeoReference WithFittedGrid(const GeoReference& geo, const GridReport& report);

// The report of a grid as it stands (hand-placed points, control points): each point's
// residual from the smooth fit of its neighbours' positions, no shifts.
GridReport GridResiduals(const GeoReference& geo);

// What the window keeps of the loaded chart's last grid fit or check: the report its markers
// and its report window show with its summary line, and the grid from before a fit, for one
// undo. A chart georeferenced from its control points also keeps their residuals.
struct GridFitState {
  std::optional<GridReport> Report;
  std::string Summary;
  std::optional<GeoReference> Before;
  std::optional<ControlPointReport> ControlPoints;
};

// "Fitted the grid to the printed graticule: RMS 0.42 px, 2 of 35 points flagged: 3/1, 4/2"
// (points named as the overlay labels them), or the message of a chart where no crossing was found.
std::string GridFitSummary(const GridReport& report);
// "Grid check: RMS 0.42 px, 1 of 35 points flagged: 3/1", of GridResiduals' report.
std::string GridCheckSummary(const GridReport& report);

}  // namespace cz
