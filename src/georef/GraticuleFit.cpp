#include "georef/GraticuleFit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <optional>

#include "platform/Error.h"

namespace cz {
namespace {

struct Vec {
  double X = 0, Y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.X + b.X, a.Y + b.Y}; }
Vec operator-(Vec a, Vec b) { return {a.X - b.X, a.Y - b.Y}; }
Vec operator*(double k, Vec a) { return {k * a.X, k * a.Y}; }
double Length(Vec a) { return std::hypot(a.X, a.Y); }

// Darkness 0 (white) .. 255 (black) of the chart at (x, y), bilinear; -1 outside.
class DarknessSampler {
 public:
  explicit DarknessSampler(const Raster32& chart) : chart_(chart) {}
  double At(Vec p) const {
    if (!(p.X >= 0 && p.Y >= 0 && p.X <= chart_.Width() - 1 && p.Y <= chart_.Height() - 1)) return -1;
    const auto x0 = static_cast<std::int32_t>(p.X), y0 = static_cast<std::int32_t>(p.Y);
    const std::int32_t x1 = std::min(x0 + 1, chart_.Width() - 1);
    const std::int32_t y1 = std::min(y0 + 1, chart_.Height() - 1);
    const double fx = p.X - x0, fy = p.Y - y0;
    const double top = Dark(x0, y0) * (1 - fx) + Dark(x1, y0) * fx;
    const double bottom = Dark(x0, y1) * (1 - fx) + Dark(x1, y1) * fx;
    return top * (1 - fy) + bottom * fy;
  }

 private:
  double Dark(std::int32_t x, std::int32_t y) const {
    const std::uint32_t p = chart_.Row(y)[x];
    return 255 - (RedOf(p) * 0.299 + GreenOf(p) * 0.587 + BlueOf(p) * 0.114);
  }
  const Raster32& chart_;
};

// A printed line near a grid point, in the point's own frame: at station t along the line's
// direction, the line lies Offset + Slope × t across it.
struct FoundLine {
  double Offset = 0, Slope = 0;
  double Confidence = 0;
};

constexpr int kStationsPerSide = 24;
// Slopes tried for a line against the model's direction: up to 0.1 (about 6°), in 0.005 steps.
constexpr double kMostSlope = 0.1;
constexpr int kSlopeSteps = 20;
constexpr double kLeastContrast = 30;  // darkness a line must stand above its profile's median

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  const auto middle = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
  std::nth_element(v.begin(), middle, v.end());
  return *middle;
}

// The line through point along `along`, searched up to `reach` across it (along `across`),
// from stations between `gap` and `stretch` on both sides.
std::optional<FoundLine> FindLine(const DarknessSampler& chart, Vec point, Vec along, Vec across,
                                  double reach, double gap, double stretch) {
  const int half = static_cast<int>(std::ceil(reach));
  const int samples = 2 * half + 1;
  struct Station {
    double t;
    std::vector<double> profile;  // darkness above the profile's median, from −half to half
  };
  std::vector<Station> stations;
  for (int side : {-1, 1}) {
    for (int k = 0; k < kStationsPerSide; ++k) {
      const double t = side * (gap + (stretch - gap) * k / (kStationsPerSide - 1));
      Station station{t, std::vector<double>(static_cast<std::size_t>(samples))};
      bool inside = true;
      for (int s = -half; s <= half && inside; ++s) {
        const double d = chart.At(point + t * along + double(s) * across);
        inside = d >= 0;
        station.profile[static_cast<std::size_t>(s + half)] = d;
      }
      if (!inside) continue;
      const double background = Median(station.profile);
      for (double& d : station.profile) d = std::max(0.0, d - background);
      stations.push_back(std::move(station));
    }
  }
  if (stations.size() < kStationsPerSide / 2) return std::nullopt;
  // The line: the darkest straight path through the stretch, offset and slope (the model's
  // direction may be off by a few degrees: a scan's rotation, a model's meridians).
  const auto darkness = [&](const Station& station, double offset) {
    const double x = offset + half;
    if (!(x >= 0 && x <= samples - 1)) return 0.0;
    const auto i = static_cast<std::size_t>(x);
    const double f = x - i, a = station.profile[i];
    return i + 1 < station.profile.size() ? a + (station.profile[i + 1] - a) * f : a;
  };
  double bestSum = -1, bestOffset = 0, bestSlope = 0;
  for (int k = -kSlopeSteps; k <= kSlopeSteps; ++k) {
    const double slope = kMostSlope * k / kSlopeSteps;
    for (int s = -half; s <= half; ++s) {
      double sum = 0;
      for (const Station& station : stations) sum += darkness(station, s + slope * station.t);
      if (sum > bestSum) bestSum = sum, bestOffset = s, bestSlope = slope;
    }
  }
  // Each station's own position: the centroid of its darkness within 3 pixels of that path.
  std::vector<double> ts, offsets;
  double contrast = 0;
  for (const Station& station : stations) {
    double weight = 0, moment = 0, top = 0;
    const int peak = static_cast<int>(std::lround(bestOffset + bestSlope * station.t)) + half;
    for (int i = std::max(0, peak - 3); i <= std::min(samples - 1, peak + 3); ++i) {
      const double d = station.profile[static_cast<std::size_t>(i)];
      weight += d, moment += d * (i - half), top = std::max(top, d);
    }
    if (top < kLeastContrast || weight <= 0) continue;
    ts.push_back(station.t);
    offsets.push_back(moment / weight);
    contrast += top;
  }
  // A straight fit through the stations, those more than a pixel off left out, twice.
  std::vector<bool> kept(ts.size(), true);
  FoundLine line;
  std::size_t count = 0;
  for (int round = 0; round < 3; ++round) {
    double n = 0, st = 0, so = 0, stt = 0, sto = 0;
    for (std::size_t i = 0; i < ts.size(); ++i) {
      if (!kept[i]) continue;
      n += 1, st += ts[i], so += offsets[i], stt += ts[i] * ts[i], sto += ts[i] * offsets[i];
    }
    if (n < 6) return std::nullopt;
    const double det = n * stt - st * st;
    line.Slope = det > 0 ? (n * sto - st * so) / det : 0;
    line.Offset = (so - line.Slope * st) / n;
    count = 0;
    for (std::size_t i = 0; i < ts.size(); ++i) {
      kept[i] = std::fabs(offsets[i] - (line.Offset + line.Slope * ts[i])) <= 1.0;
      count += kept[i];
    }
  }
  const double agreement = double(count) / (2 * kStationsPerSide);
  if (agreement < 0.35 || std::fabs(line.Offset) > reach - 2) return std::nullopt;
  const double meanContrast = contrast / std::max<std::size_t>(1, offsets.size());
  line.Confidence = agreement * std::min(1.0, meanContrast / 100);
  return line;
}

Vec GridVec(const GeoReference& geo, std::int32_t c, std::int32_t r) {
  return {double(geo.Grid[c][r].X), double(geo.Grid[c][r].Y)};
}

// The residual of values[k] from what its usable neighbours predict: the component-wise median
// of the straight-line interpolations between its opposite neighbours along its row and its
// column or, where there are none (the grid's corners, a neighbour left out), of the
// extrapolations from the next points in each of the four directions. A median of such
// predictions is not pulled by one wrong neighbour, and a straight line along a row or a
// column follows a smooth field (a model's slowly varying error, or the grid itself) to its
// curvature. Diagonals are left out: a model whose meridians converge otherwise than the
// chart's has an error that changes along rows differently on every row, which no straight
// diagonal follows. -1 where no prediction can be made.
std::vector<double> Residuals(const std::vector<Vec>& values, const std::vector<bool>& usable,
                              std::int32_t columns, std::int32_t rows) {
  std::vector<double> residuals(values.size(), -1);
  const auto at = [&](std::int32_t c, std::int32_t r) -> const Vec* {
    if (c < 0 || r < 0 || c >= columns || r >= rows) return nullptr;
    const std::size_t k = static_cast<std::size_t>(r) * columns + c;
    return usable[k] ? &values[k] : nullptr;
  };
  constexpr std::array<std::array<int, 2>, 4> kDirections = {{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      std::vector<double> xs, ys;
      for (std::size_t d = 0; d < 2; ++d) {
        const Vec* a = at(c - kDirections[d][0], r - kDirections[d][1]);
        const Vec* b = at(c + kDirections[d][0], r + kDirections[d][1]);
        if (a && b) xs.push_back((a->X + b->X) / 2), ys.push_back((a->Y + b->Y) / 2);
      }
      // Extrapolated along a straight line and along a parabola: the parabola follows a
      // field that curves across a small grid (a 3 x 2 degree chart's corners), the line is
      // less moved by the neighbours' own errors; a point keeps the nearer of the two.
      std::vector<double> curvedXs, curvedYs;
      if (xs.empty()) {
        for (const auto& d : kDirections) {
          const Vec* a = at(c + d[0], r + d[1]);
          const Vec* b = at(c + 2 * d[0], r + 2 * d[1]);
          if (!a || !b) continue;
          xs.push_back(2 * a->X - b->X), ys.push_back(2 * a->Y - b->Y);
          if (const Vec* e = at(c + 3 * d[0], r + 3 * d[1])) {
            curvedXs.push_back(3 * (a->X - b->X) + e->X);
            curvedYs.push_back(3 * (a->Y - b->Y) + e->Y);
          }
        }
      }
      if (xs.empty()) continue;
      const std::size_t k = static_cast<std::size_t>(r) * columns + c;
      residuals[k] = Length(values[k] - Vec{Median(xs), Median(ys)});
      if (!curvedXs.empty()) {
        residuals[k] =
            std::min(residuals[k], Length(values[k] - Vec{Median(curvedXs), Median(curvedYs)}));
      }
    }
  }
  return residuals;
}

// A point's residual in the smoother of two fields: its shift from the model (smooth where the
// model is good, whatever the projection bends) and its position (smooth whatever the model:
// a chart's graticule curves gently). A point that is wrong is wrong in both. Points that
// disagree are left out of their neighbours' predictions: the worst beyond its allowance is
// left out (usable false) and the rest judged again, until all that are left agree.
std::vector<double> AgreeingResiduals(const std::vector<Vec>& shifts,
                                      const std::vector<Vec>& positions, std::vector<bool>& usable,
                                      const std::vector<double>& allowance, std::int32_t columns,
                                      std::int32_t rows) {
  const std::vector<Vec>& values = positions;
  for (;;) {
    std::vector<double> residuals = Residuals(positions, usable, columns, rows);
    if (!shifts.empty()) {
      const std::vector<double> ofShifts = Residuals(shifts, usable, columns, rows);
      for (std::size_t k = 0; k < residuals.size(); ++k) {
        residuals[k] = std::min(residuals[k], ofShifts[k]);
      }
    }
    std::size_t worst = values.size();
    for (std::size_t k = 0; k < values.size(); ++k) {
      if (usable[k] && residuals[k] > allowance[k] &&
          (worst == values.size() ||
           residuals[k] - allowance[k] > residuals[worst] - allowance[worst])) {
        worst = k;
      }
    }
    if (worst == values.size()) return residuals;
    usable[worst] = false;
  }
}

// How far a point may lie from its neighbours' prediction before it is flagged: kFlaggedResidual
// or 2 % of its cells' size, whichever is more (paper stretch changes the spacing of a chart's
// lines by up to about 1 %, which straight-line predictions carry across a cell or two).
std::vector<double> Allowances(const GeoReference& geo) {
  std::vector<double> allowance;
  for (std::int32_t r = 0; r <= geo.NLat; ++r) {
    for (std::int32_t c = 0; c <= geo.NLon; ++c) {
      const Vec p = GridVec(geo, c, r);
      const double across = Length(GridVec(geo, c < geo.NLon ? c + 1 : c - 1, r) - p);
      const double down = Length(GridVec(geo, c, r < geo.NLat ? r + 1 : r - 1) - p);
      allowance.push_back(std::max(kFlaggedResidual, 0.02 * std::min(across, down)));
    }
  }
  return allowance;
}

PointMark MarkOf(double residual, double allowance) {
  if (residual < 0 || residual > allowance) return PointMark::Flagged;
  return residual > allowance / 2 ? PointMark::Doubtful : PointMark::Good;
}

void SummariseRms(GridReport& report) {
  double sum = 0;
  std::size_t n = 0;
  for (const ReportedPoint& p : report.Points) {
    if (p.Mark == PointMark::Flagged) continue;
    sum += p.Residual * p.Residual;
    ++n;
  }
  report.Rms = n > 0 ? std::sqrt(sum / n) : 0;
}

}  // namespace

const char* MarkName(PointMark mark) {
  switch (mark) {
    case PointMark::Good:
      return "good";
    case PointMark::Doubtful:
      return "doubtful";
    case PointMark::Flagged:
      break;
  }
  return "flagged";
}

std::int32_t GridReport::Flagged() const {
  return static_cast<std::int32_t>(std::count_if(
      Points.begin(), Points.end(), [](const ReportedPoint& p) { return p.Mark == PointMark::Flagged; }));
}

std::vector<std::size_t> GridReport::Worst() const {
  std::vector<std::size_t> order(Points.size());
  std::iota(order.begin(), order.end(), 0);
  // Flagged points first (a point not found has no telling residual), then by residual.
  std::stable_sort(order.begin(), order.end(), [this](std::size_t a, std::size_t b) {
    const bool fa = Points[a].Mark == PointMark::Flagged, fb = Points[b].Mark == PointMark::Flagged;
    if (fa != fb) return fa;
    return Points[a].Residual > Points[b].Residual;
  });
  return order;
}

GridReport FindGraticule(const Raster32& chart, const GeoReference& geo,
                         const FitProgress& progress) {
  GridReport report;
  report.Columns = geo.NLon + 1;
  report.Rows = geo.NLat + 1;
  if (geo.NLon < 1 || geo.NLat < 1 || chart.Empty()) return report;
  const DarknessSampler sampler(chart);
  const std::size_t total = static_cast<std::size_t>(report.Columns) * report.Rows;
  for (std::int32_t r = 0; r <= geo.NLat; ++r) {
    for (std::int32_t c = 0; c <= geo.NLon; ++c) {
      const Vec p = GridVec(geo, c, r);
      // The meridian runs down the grid's column, the parallel along its row.
      const Vec down = GridVec(geo, c, std::min(r + 1, geo.NLat)) - GridVec(geo, c, std::max(r - 1, 0));
      const Vec east = GridVec(geo, std::min(c + 1, geo.NLon), r) - GridVec(geo, std::max(c - 1, 0), r);
      const double steps = (r > 0 && r < geo.NLat ? 2.0 : 1.0), stepsC = (c > 0 && c < geo.NLon ? 2.0 : 1.0);
      const double height = Length(down) / steps, width = Length(east) / stepsC;
      ReportedPoint point;
      point.Column = c, point.Row = r;
      point.Model = point.Found = {p.X, p.Y};
      if (height >= 8 && width >= 8) {
        const Vec uDown = (1 / Length(down)) * down, uEast = (1 / Length(east)) * east;
        const double reach = std::clamp(0.2 * std::min(width, height), 4.0, 80.0);
        const auto meridian = FindLine(sampler, p, uDown, uEast, reach,
                                       std::max(4.0, 0.05 * height), 0.4 * height);
        const auto parallel = FindLine(sampler, p, uEast, uDown, reach,
                                       std::max(4.0, 0.05 * width), 0.4 * width);
        if (meridian && parallel && std::fabs(1 - meridian->Slope * parallel->Slope) > 0.5) {
          // p + a·east + b·down with a on the meridian, b on the parallel.
          const double a = (meridian->Offset + meridian->Slope * parallel->Offset) /
                           (1 - meridian->Slope * parallel->Slope);
          const double b = parallel->Offset + parallel->Slope * a;
          const Vec found = p + a * uEast + b * uDown;
          point.Found = {found.X, found.Y};
          point.Located = true;
          point.Confidence = std::min(meridian->Confidence, parallel->Confidence);
        }
      }
      report.Points.push_back(point);
      if (progress && !progress(double(report.Points.size()) / total)) {
        throw OperationCancelled("Grid fit cancelled");
      }
    }
  }
  // Accepted only where the shift agrees with the neighbours': the worst disagreeing point is
  // left out, and the rest judged again, until all that are left agree.
  std::vector<Vec> shifts(report.Points.size()), positions(report.Points.size());
  std::vector<bool> usable(report.Points.size());
  for (std::size_t k = 0; k < report.Points.size(); ++k) {
    const ReportedPoint& p = report.Points[k];
    shifts[k] = {p.ShiftX(), p.ShiftY()};
    positions[k] = {p.Found.X, p.Found.Y};
    usable[k] = p.Located;
  }
  const std::vector<double> allowance = Allowances(geo);
  const std::vector<double> residuals =
      AgreeingResiduals(shifts, positions, usable, allowance, report.Columns, report.Rows);
  for (std::size_t k = 0; k < report.Points.size(); ++k) {
    ReportedPoint& p = report.Points[k];
    p.Residual = residuals[k] >= 0 ? residuals[k] : 0;
    p.Mark = usable[k] ? MarkOf(residuals[k], allowance[k]) : PointMark::Flagged;
    if (p.Mark == PointMark::Flagged) p.Found = p.Model;
  }
  SummariseRms(report);
  return report;
}

GeoReference WithFittedGrid(const GeoReference& geo, const GridReport& report) {
  if (report.Points.empty() || report.Flagged() == static_cast<std::int32_t>(report.Points.size())) {
    return geo;
  }
  GeoReference fitted = geo;
  fitted.GeoReferencingType = static_cast<std::uint8_t>(GeoReferencingMethod::ManualGrid);
  for (const ReportedPoint& p : report.Points) {
    GridPoint& g = fitted.Grid[p.Column][p.Row];
    g.X = static_cast<std::int32_t>(std::lround(p.Found.X));
    g.Y = static_cast<std::int32_t>(std::lround(p.Found.Y));
    g.XYSHIFT = 1;
  }
  return fitted;
}

GridReport GridResiduals(const GeoReference& geo) {
  GridReport report;
  report.Columns = geo.NLon + 1;
  report.Rows = geo.NLat + 1;
  if (geo.NLon < 1 || geo.NLat < 1) return report;
  std::vector<Vec> positions;
  for (std::int32_t r = 0; r <= geo.NLat; ++r) {
    for (std::int32_t c = 0; c <= geo.NLon; ++c) positions.push_back(GridVec(geo, c, r));
  }
  std::vector<bool> usable(positions.size(), true);
  const std::vector<double> allowance = Allowances(geo);
  const std::vector<double> residuals =
      AgreeingResiduals({}, positions, usable, allowance, report.Columns, report.Rows);
  for (std::size_t k = 0; k < positions.size(); ++k) {
    ReportedPoint p;
    p.Column = static_cast<std::int32_t>(k % report.Columns);
    p.Row = static_cast<std::int32_t>(k / report.Columns);
    p.Model = p.Found = {positions[k].X, positions[k].Y};
    p.Located = true;
    p.Confidence = 1;
    p.Residual = residuals[k] >= 0 ? residuals[k] : 0;
    p.Mark = !usable[k]         ? PointMark::Flagged
             : residuals[k] >= 0 ? MarkOf(residuals[k], allowance[k])
                                 : PointMark::Good;
    report.Points.push_back(p);
  }
  SummariseRms(report);
  return report;
}

namespace {

// "RMS 0.42 px, 2 of 35 points flagged: 3/1, 4/2" (points as column/row counted from 1).
std::string RmsAndFlagged(const GridReport& report) {
  char rms[32];
  std::snprintf(rms, sizeof rms, "%.2f", report.Rms);
  std::string text = "RMS " + std::string(rms) + " px, " + std::to_string(report.Flagged()) +
                     " of " + std::to_string(report.Points.size()) + " points flagged";
  std::string names;
  for (const ReportedPoint& p : report.Points) {
    if (p.Mark != PointMark::Flagged) continue;
    names += (names.empty() ? ": " : ", ") + GridPointName(p.Column, p.Row);
  }
  return text + names;
}

}  // namespace

std::string GridFitSummary(const GridReport& report) {
  if (report.Points.empty() || report.Flagged() == static_cast<std::int32_t>(report.Points.size())) {
    return "No printed graticule was found: the grid is left as it was";
  }
  return "Fitted the grid to the printed graticule: " + RmsAndFlagged(report);
}

std::string GridCheckSummary(const GridReport& report) {
  return "Grid check: " + RmsAndFlagged(report);
}

}  // namespace cz
