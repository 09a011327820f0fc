#include "tiling/CellRenderer.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "geo/TileGrid.h"
#include "platform/Error.h"
#include "tiling/Resampling.h"

namespace cz {
namespace {

void CheckPart(std::uint8_t q, int count) {
  if (q >= count) throw CartozenError("Cell part " + std::to_string(q) + " out of range");
}

std::array<FloatPoint, 4> ToFloat(const PixelQuad& quad) {
  std::array<FloatPoint, 4> result;
  for (int k = 0; k < 4; ++k) {
    result[k] = {static_cast<float>(quad[k].X), static_cast<float>(quad[k].Y)};
  }
  return result;
}

// Quarter q of part whole (0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right).
CellFraction QuarterOf(const CellFraction& whole, std::uint8_t q) {
  const double half = (whole.Right - whole.Left) / 2;
  const double left = whole.Left + (q % 2) * half, top = whole.Top + (q / 2) * half;
  return {left, top, left + half, top + half};
}

}  // namespace

double ScaleMeasure(const std::array<FloatPoint, 4>& quad, std::int32_t width) {
  return ((double{quad[1].X} - quad[0].X) + (double{quad[2].X} - quad[3].X) / 2) / width;
}

std::uint8_t BoxRadius(double scaleMeasure) {
  // Only the low 8 bits of the rounded value are kept; fmod keeps the conversion defined for
  // any magnitude.
  const double rounded = std::nearbyint(scaleMeasure / 3);
  if (!std::isfinite(rounded)) return 0;
  double low = std::fmod(rounded, 256.0);
  if (low < 0) low += 256;
  return static_cast<std::uint8_t>(low);
}

void ResizeKeeping(Raster32& raster, std::int32_t width, std::int32_t height, std::uint32_t fill) {
  if (raster.Width() == width && raster.Height() == height) return;
  Raster32 resized(width, height);
  resized.Fill(fill);
  const std::int32_t keepWidth = std::min(width, raster.Width());
  const std::int32_t keepHeight = std::min(height, raster.Height());
  for (std::int32_t j = 0; j < keepHeight; ++j) {
    std::copy_n(raster.Row(j), keepWidth, resized.Row(j));
  }
  raster = std::move(resized);
}

CellRenderer::CellRenderer(const Raster32& source, const ReferenceGrid& grid, Raster32& tileRaster,
                           const ProjectionLattice* lattice)
    : source_(source), grid_(grid), tile_(tileRaster), lattice_(lattice) {}

PixelQuad CellRenderer::Cell(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= kMaxGridSteps || y >= kMaxGridSteps) {
    throw CartozenError("Grid cell " + std::to_string(x) + "/" + std::to_string(y) +
                        " out of range");
  }
  const auto at = [this](std::int32_t c, std::int32_t r) {
    return PixelPoint{grid_[c][r].X, grid_[c][r].Y};
  };
  return {at(x, y), at(x + 1, y), at(x + 1, y + 1), at(x, y + 1)};
}

void CellRenderer::PrepareCleared(std::int32_t width) {
  if (tile_.Width() != width + 1 || tile_.Height() != kTileHeight) {
    tile_.Allocate(width + 1, kTileHeight);
  }
  tile_.Clear();
}

void CellRenderer::PrepareKept(std::int32_t width) {
  ResizeKeeping(tile_, width, kTileHeight, kNewTilePixel);
}

TileRect CellRenderer::SetTransform(const PixelQuad& quad, const TileRect& rect) {
  PT.SetDestination(ToFloat(quad));
  PT.SetSource({static_cast<float>(rect.Left), static_cast<float>(rect.Top),
                static_cast<float>(rect.Right), static_cast<float>(rect.Bottom)});
  LastPixels = Limited(rect);
  LastFromChart = PT.Defined();
  LastPieces.clear();
  return LastPixels;
}

TileRect CellRenderer::Limited(const TileRect& rect) const {
  return {std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, tile_.Width()),
          std::min(rect.Bottom, tile_.Height())};
}

bool CellRenderer::DrawExactly(std::int32_t x, std::int32_t y, const CellFraction& part,
                               const TileRect& rect, bool boxAllowed) {
  const LatticeCell* cell = lattice_ ? lattice_->Cell(x, y) : nullptr;
  if (!cell) return false;
  PlacePart(*cell, part, rect, LastPieces);
  LastPixels = Limited(rect);
  LastFromChart = !LastPieces.empty();
  const double scale = boxAllowed ? ScaleMeasure(PartCorners(*cell, part), rect.Right - rect.Left) : 0;
  for (const BilinearPiece& piece : LastPieces) {
    const TileRect pixels = Limited(piece.Pixels);
    if (pixels.Left >= pixels.Right || pixels.Top >= pixels.Bottom) continue;
    if (scale >= 2) {
      RenderBoxAverage(piece, source_, tile_, pixels, BoxRadius(scale));
    } else {
      RenderBilinear(piece, source_, tile_, pixels);
    }
  }
  return true;
}


void CellRenderer::RenderBilinearOrBlack(const TileRect& pixels) {
  if (!PT.Defined()) {
    FillTileRect(tile_, pixels, 0);
  } else {
    RenderBilinear(PT, source_, tile_, pixels);
  }
}

void CellRenderer::DoTransform_0(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat) {
  CheckPart(Q, 16);
  const PixelQuad quarter = CellQuarters(Cell(x, y)).Part(Q / 4);
  const QuadLattice sixteenths = SubdivideQuad(quarter[0], quarter[1], quarter[2], quarter[3]);
  const std::int32_t width = TileWidthAt(TopLat, 0);
  PrepareCleared(width);
  if (DrawExactly(x, y, QuarterOf(QuarterOf({}, Q / 4), Q % 4), {0, 0, width, kTileHeight}, true)) {
    return;
  }
  const TileRect pixels = SetTransform(sixteenths.Part(Q % 4), {0, 0, width, kTileHeight});
  if (!sixteenths.CentreFound || !PT.Defined()) {
    LastFromChart = false;
    FillTileRect(tile_, pixels, 0);
    return;
  }
  const double scale = ScaleMeasure(PT.Destination(), width);
  if (scale >= 2) {
    RenderBoxAverage(PT, source_, tile_, pixels, BoxRadius(scale));
  } else {
    RenderBilinear(PT, source_, tile_, pixels);
  }
}

void CellRenderer::DoTransform_1(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat) {
  CheckPart(Q, 4);
  const PixelQuad quarter = CellQuarters(Cell(x, y)).Part(Q);
  const std::int32_t width = TileWidthAt(Q >= 2 ? TopLat - kHalfDegree : TopLat, 1);
  PrepareCleared(width);
  if (DrawExactly(x, y, QuarterOf({}, Q), {0, 0, width, kTileHeight}, false)) return;
  RenderBilinearOrBlack(SetTransform(quarter, {0, 0, width, kTileHeight}));
}

void CellRenderer::DoTransform_2(std::int32_t x, std::int32_t y, GeoCoord TopLat) {
  const PixelQuad cell = Cell(x, y);
  const std::int32_t width = TileWidthAt(TopLat, 2);
  PrepareCleared(width);
  if (DrawExactly(x, y, {}, {0, 0, width, kTileHeight}, false)) return;
  RenderBilinearOrBlack(SetTransform(cell, {0, 0, width, kTileHeight}));
}

void CellRenderer::DoTransform_3(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat) {
  CheckPart(Q, 4);
  const PixelQuad cell = Cell(x, y);
  const std::int32_t width = TileWidthAt(TopLat, 3);
  PrepareKept(width);
  if (DrawExactly(x, y, {}, Level3Rectangle(width, Q), false)) return;
  RenderBilinearOrBlack(SetTransform(cell, Level3Rectangle(width, Q)));
}

void CellRenderer::DoTransform_4(std::int32_t x, std::int32_t y, std::uint8_t Q, GeoCoord TopLat) {
  CheckPart(Q, 16);
  const PixelQuad cell = Cell(x, y);
  const std::int32_t width = TileWidthAt(TopLat, 4);
  PrepareKept(width);
  if (DrawExactly(x, y, {}, Level4Rectangle(width, Q), false)) return;
  RenderBilinearOrBlack(SetTransform(cell, Level4Rectangle(width, Q)));
}

}  // namespace cz
