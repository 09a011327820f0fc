#include "workspace/CoverageEdits.h"

#include <cmath>
#include <limits>

#include "geo/Antimeridian.h"
#include "geo/GeoCoord.h"
#include "georef/GridLayout.h"
#include "platform/Error.h"
#include "project/CoverageSettings.h"
#include "tiling/CoverageShape.h"
#include "tiling/CoveredTiles.h"
#include "workspace/BusyState.h"
#include "workspace/MapCommands.h"

namespace cz {
namespace {

// Why the loaded chart cannot take candidate as its coverage, or empty. The box is checked
// under the georeference when the chart has a usable grid (the run checks it again anyway).
std::string CoverageProblem(const AppState& state, const ChartCoverage& candidate) {
  if (!candidate.Polygon.empty()) {
    const std::string problem = PolygonProblem(candidate.Polygon);
    if (!problem.empty()) return problem;
  }
  // Without a usable georeference yet (the chart's own is often taken after its box is set,
  // since a chart smaller than a cell needs the box first) there is nothing to check against.
  const GeoReference& geo = state.Source.GeoRef;
  if (!candidate.Box || !state.Source.Loaded || !CornersInOrder(geo) || geo.NLat <= 0 ||
      geo.NLon <= 0) {
    return {};
  }
  try {
    CoverageRunOf(state.Source, candidate);
  } catch (const CartozenError& error) {
    return error.what();
  }
  return {};
}

// Makes candidate the chart's coverage and stores it, or shows why not.
bool Accept(AppState& state, ChartCoverage candidate, UserInterface& ui) {
  const std::string problem = CoverageProblem(state, candidate);
  if (!problem.empty()) {
    ui.ShowMessage(problem);
    return false;
  }
  SaveCoverage(state.Source.Path, candidate);
  state.Source.Coverage = std::move(candidate);
  return true;
}


// The edited polygon becomes the coverage's from three points on, else the draft.
bool SetPolygon(AppState& state, std::vector<CoveragePoint> polygon, UserInterface& ui) {
  if (polygon.size() < 3) {
    if (!state.Source.Coverage.Polygon.empty()) {
      ChartCoverage candidate = state.Source.Coverage;
      candidate.Polygon.clear();
      if (!Accept(state, std::move(candidate), ui)) return false;
    }
    state.PolygonDraft = std::move(polygon);
    return true;
  }
  ChartCoverage candidate = state.Source.Coverage;
  candidate.Polygon = std::move(polygon);
  if (!Accept(state, std::move(candidate), ui)) return false;
  state.PolygonDraft.clear();
  return true;
}

bool Refused(AppState& state, UserInterface& ui) {
  if (RefuseGeoReferenceEditIfBusy(state.Busy, ui)) return true;
  if (!state.Source.Loaded) {
    ui.ShowRefusal("No map loaded");
    return true;
  }
  return false;
}

double DistanceToSegment(CoveragePoint p, CoveragePoint a, CoveragePoint b) {
  const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((double(p.X) - a.X) * dx + (double(p.Y) - a.Y) * dy) / length2 : 0;
  t = std::fmax(0, std::fmin(1, t));
  return std::hypot(a.X + t * dx - p.X, a.Y + t * dy - p.Y);
}

}  // namespace

const std::vector<CoveragePoint>& ShownPolygon(const AppState& state) {
  return state.Source.Coverage.Polygon.empty() ? state.PolygonDraft
                                               : state.Source.Coverage.Polygon;
}

PolygonPress PressWithPolygonTool(AppState& state, const ViewMapping& view, std::int32_t u,
                                  std::int32_t v, bool secondaryButton, UserInterface& ui) {
  if (Refused(state, ui)) return PolygonPress::Refused;
  const PixelPoint pixel = view.ToSource(u, v);
  const CoveragePoint at{pixel.X, pixel.Y};
  const double reach = 6 / view.EffectiveScale();
  const std::optional<std::size_t> near = PolygonPointNear(ShownPolygon(state), at, reach);
  if (secondaryButton) {
    state.MovingPolygonPoint.reset();
    if (!near) return PolygonPress::Missed;
    return DeletePolygonPoint(state, *near, ui) ? PolygonPress::Deleted : PolygonPress::Refused;
  }
  if (state.MovingPolygonPoint) {
    const std::size_t moving = *state.MovingPolygonPoint;
    state.MovingPolygonPoint.reset();
    return MovePolygonPoint(state, moving, at, ui) ? PolygonPress::Dropped : PolygonPress::Refused;
  }
  if (near) {
    state.MovingPolygonPoint = near;
    return PolygonPress::PickedUp;
  }
  return AddPolygonPoint(state, at, reach, ui) ? PolygonPress::Added : PolygonPress::Refused;
}

CoverageOverlay CoverageOverlayOf(const AppState& state) {
  CoverageOverlay overlay;
  for (const CoveragePoint& p : ShownPolygon(state)) overlay.Polygon.push_back({p.X, p.Y});
  overlay.PolygonClosed = !state.Source.Coverage.Polygon.empty();
  if (!state.Source.Coverage.Box || !state.Source.Loaded) return overlay;
  try {
    for (const auto& line : BoxOutline(*CoverageRunOf(state.Source, state.Source.Coverage))) {
      std::vector<PixelPoint>& shown = overlay.BoxLines.emplace_back();
      for (const FloatPoint& p : line) {
        shown.push_back({static_cast<std::int32_t>(std::lround(p.X)),
                         static_cast<std::int32_t>(std::lround(p.Y))});
      }
    }
  } catch (const CartozenError&) {
    // A box the chart cannot use shows nothing; its edit was refused with the reason.
  }
  return overlay;
}

CoverageDialogTexts CoverageDialogTextsOf(const AppState& state) {
  const ChartCoverage& coverage = state.Source.Coverage;
  const GeoReference& geo = state.Source.GeoRef;
  const LatLonBox box = coverage.Box.value_or(LatLonBox{geo.TopLeft.Latitude,
                                                        geo.BottomRight.Latitude,
                                                        geo.TopLeft.Longitude,
                                                        geo.BottomRight.Longitude});
  return {FormatLatitude(DegreesToGeoCoord(box.North)),
          FormatLatitude(DegreesToGeoCoord(box.South)),
          FormatLongitude(ShownLongitude(box.West)),
          FormatLongitude(ShownLongitude(box.East)),
          coverage.Box.has_value(),
          coverage.Transparency};
}

bool ApplyCoverageDialog(AppState& state, const CoverageDialogTexts& texts, UserInterface& ui) {
  if (Refused(state, ui)) return false;
  ChartCoverage candidate = state.Source.Coverage;
  candidate.Transparency = texts.Transparency;
  candidate.Box.reset();
  if (texts.UseBox) {
    const auto degrees = [](GeoCoord units) { return GeoCoordToDegrees(units); };
    const double west = degrees(WrapLongitude(ParseLongitude(texts.West)));
    // A box across 180° keeps its east edge east of its west one (geo/Antimeridian.h).
    const LatLonBox box{degrees(ClampLatitude(ParseLatitude(texts.North))),
                        degrees(ClampLatitude(ParseLatitude(texts.South))), west,
                        LongitudeEastOf(degrees(WrapLongitude(ParseLongitude(texts.East))), west)};
    if (!(box.North > box.South && box.East > box.West)) {
      ui.ShowMessage("The coverage box needs its north edge above its south edge and its east "
                     "edge east of its west edge");
      return false;
    }
    candidate.Box = box;
  }
  return Accept(state, std::move(candidate), ui);
}

std::optional<std::size_t> PolygonPointNear(const std::vector<CoveragePoint>& polygon,
                                            CoveragePoint at, double pickRadius) {
  std::optional<std::size_t> nearest;
  double best = pickRadius;
  for (std::size_t k = 0; k < polygon.size(); ++k) {
    const double d = std::hypot(double(polygon[k].X) - at.X, double(polygon[k].Y) - at.Y);
    if (d <= best) best = d, nearest = k;
  }
  return nearest;
}

bool AddPolygonPoint(AppState& state, CoveragePoint at, double pickRadius, UserInterface& ui) {
  if (Refused(state, ui)) return false;
  std::vector<CoveragePoint> polygon = ShownPolygon(state);  // a copy to edit
  // On the nearest edge within reach (a closed polygon's last edge included), else at the end.
  std::size_t insertAfter = polygon.size();
  double best = pickRadius;
  for (std::size_t k = 0; polygon.size() >= 3 && k < polygon.size(); ++k) {
    const double d = DistanceToSegment(at, polygon[k], polygon[(k + 1) % polygon.size()]);
    if (d <= best) best = d, insertAfter = k + 1;
  }
  polygon.insert(polygon.begin() + static_cast<std::ptrdiff_t>(insertAfter), at);
  return SetPolygon(state, std::move(polygon), ui);
}

bool MovePolygonPoint(AppState& state, std::size_t index, CoveragePoint to, UserInterface& ui) {
  if (Refused(state, ui)) return false;
  std::vector<CoveragePoint> polygon = ShownPolygon(state);  // a copy to edit
  if (index >= polygon.size()) return false;
  polygon[index] = to;
  return SetPolygon(state, std::move(polygon), ui);
}

bool DeletePolygonPoint(AppState& state, std::size_t index, UserInterface& ui) {
  if (Refused(state, ui)) return false;
  std::vector<CoveragePoint> polygon = ShownPolygon(state);  // a copy to edit
  if (index >= polygon.size()) return false;
  polygon.erase(polygon.begin() + static_cast<std::ptrdiff_t>(index));
  return SetPolygon(state, std::move(polygon), ui);
}

bool ClearPolygon(AppState& state, UserInterface& ui) {
  if (Refused(state, ui)) return false;
  return SetPolygon(state, {}, ui);
}

}  // namespace cz
