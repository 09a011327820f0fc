#include "tiling/ExactPlacement.h"

#include <algorithm>
#include <cmath>

namespace cz {
namespace {

// The lattice squares a part crosses one way: from lattice coordinate a0 to a1 (the part's
// edges times the lattice's steps), cut at every whole number between them.
struct Cut {
  std::int32_t Square;  // the lattice square it lies in
  double From, To;      // lattice coordinates, within [Square, Square + 1]
};

std::vector<Cut> Cuts(double a0, double a1, std::int32_t steps) {
  std::vector<Cut> cuts;
  const auto first = std::clamp(static_cast<std::int32_t>(std::floor(a0)), 0, steps - 1);
  for (std::int32_t k = first; k < steps; ++k) {
    const double from = std::max(a0, double(k)), to = std::min(a1, double(k + 1));
    if (to <= from && !cuts.empty()) break;
    cuts.push_back({k, from, to});
    if (a1 <= k + 1) break;
  }
  return cuts;
}

// Lattice coordinate a on the rectangle's side from t0 to t1 that spans a0 to a1.
double TileCoordinate(double a, double a0, double a1, double t0, double t1) {
  return a == a1 ? t1 : t0 + (a - a0) / (a1 - a0) * (t1 - t0);
}

std::int32_t CeilToInt(double v) { return static_cast<std::int32_t>(std::ceil(v)); }

}  // namespace

ProjectiveTransform::RowLine BilinearPiece::Row(double j) const {
  const double t = Bottom > Top ? (j - Top) / (Bottom - Top) : 0;
  const double lx = Corners[0].X + (Corners[3].X - Corners[0].X) * t;
  const double ly = Corners[0].Y + (Corners[3].Y - Corners[0].Y) * t;
  const double rx = Corners[1].X + (Corners[2].X - Corners[1].X) * t;
  const double ry = Corners[1].Y + (Corners[2].Y - Corners[1].Y) * t;
  const double width = Right - Left;
  const double dx = width > 0 ? (rx - lx) / width : 0, dy = width > 0 ? (ry - ly) / width : 0;
  return {lx - Left * dx, dx, ly - Left * dy, dy, 1, 0};
}

void BilinearPiece::Map(double i, double j, double& x, double& y) const {
  const ProjectiveTransform::RowLine line = Row(j);
  x = line.X0 + line.DX * i;
  y = line.Y0 + line.DY * i;
}

void PlacePart(const LatticeCell& cell, const CellFraction& part, const TileRect& rect,
               std::vector<BilinearPiece>& pieces) {
  pieces.clear();
  const double n = cell.Steps;
  const double u0 = part.Left * n, u1 = part.Right * n, v0 = part.Top * n, v1 = part.Bottom * n;
  const std::vector<Cut> across = Cuts(u0, u1, cell.Steps), down = Cuts(v0, v1, cell.Steps);
  for (const Cut& row : down) {
    const double top = TileCoordinate(row.From, v0, v1, rect.Top, rect.Bottom);
    const double bottom = TileCoordinate(row.To, v0, v1, rect.Top, rect.Bottom);
    const std::int32_t pixelTop = std::max(rect.Top, CeilToInt(top));
    const std::int32_t pixelBottom = std::min(rect.Bottom, CeilToInt(bottom));
    if (pixelTop >= pixelBottom) continue;
    for (const Cut& column : across) {
      BilinearPiece piece;
      piece.Left = TileCoordinate(column.From, u0, u1, rect.Left, rect.Right);
      piece.Right = TileCoordinate(column.To, u0, u1, rect.Left, rect.Right);
      piece.Top = top;
      piece.Bottom = bottom;
      piece.Pixels = {std::max(rect.Left, CeilToInt(piece.Left)), pixelTop,
                      std::min(rect.Right, CeilToInt(piece.Right)), pixelBottom};
      if (piece.Pixels.Left >= piece.Pixels.Right) continue;
      const double s0 = column.From - column.Square, s1 = column.To - column.Square;
      const double t0 = row.From - row.Square, t1 = row.To - row.Square;
      piece.Corners = {cell.Between(column.Square, row.Square, s0, t0),
                       cell.Between(column.Square, row.Square, s1, t0),
                       cell.Between(column.Square, row.Square, s1, t1),
                       cell.Between(column.Square, row.Square, s0, t1)};
      pieces.push_back(piece);
    }
  }
}

std::array<FloatPoint, 4> PartCorners(const LatticeCell& cell, const CellFraction& part) {
  const auto at = [&](double du, double dv) {
    const ChartPixel p = cell.PositionAt(du, dv);
    return FloatPoint{static_cast<float>(p.X), static_cast<float>(p.Y)};
  };
  return {at(part.Left, part.Top), at(part.Right, part.Top), at(part.Right, part.Bottom),
          at(part.Left, part.Bottom)};
}

}  // namespace cz
