#pragma once
// PT, the projective transformation of the cell renderers: it maps a rectangle S of tile
// pixels onto a quadrilateral P0..P3 of source pixels. The corners of S (top-left, top-right,
// bottom-right, bottom-left) go to P0, P1, P2, P3; every other point follows the homography
// those four pairs determine (the square-to-quadrilateral mapping of texture mapping, composed
// with the scaling of S onto the unit square). A parallelogram gives an affine mapping.
//
// The quadrilateral and the rectangle are kept in single precision, as set; the coefficients
// are derived in double precision.
//
// Defined() is false when the mapping has no sound image: an empty or non-finite rectangle,
// or a quadrilateral that is not strictly convex (folded, concave, or with three corners on
// one line). Inside a strictly convex quadrilateral the homography's denominator stays
// positive over the whole rectangle, so a defined mapping never divides by zero there.

#include <array>

namespace cz {

struct FloatPoint {
  float X = 0.0f;
  float Y = 0.0f;
};

struct FloatRect {
  float Left = 0.0f;
  float Top = 0.0f;
  float Right = 0.0f;
  float Bottom = 0.0f;
};

class ProjectiveTransform {
 public:
  // Sets the destination quadrilateral (source pixels), corners top-left, top-right,
  // bottom-right, bottom-left.
  void SetDestination(const std::array<FloatPoint, 4>& quad);
  // Sets the source rectangle (tile pixels).
  void SetSource(const FloatRect& rect);

  const std::array<FloatPoint, 4>& Destination() const { return quad_; }
  const FloatRect& Source() const { return rect_; }

  bool Defined() const { return defined_; }
  bool Affine() const { return affine_; }

  // The image of tile point (x, y). Meaningful only when Defined().
  void Map(double x, double y, double& sx, double& sy) const;

  // The homography along one tile row y: source x = (X0 + i·DX) / (W0 + i·DW) and source
  // y = (Y0 + i·DY) / (W0 + i·DW) for tile column i (W0 = 1, DW = 0 when affine).
  struct RowLine {
    double X0, DX, Y0, DY, W0, DW;
  };
  RowLine Row(double y) const;

 private:
  void Update();

  std::array<FloatPoint, 4> quad_{};
  FloatRect rect_{};
  // Source = (m[0] x + m[1] y + m[2], m[3] x + m[4] y + m[5]) / (m[6] x + m[7] y + m[8]).
  std::array<double, 9> m_{0, 0, 0, 0, 0, 0, 0, 0, 1};
  bool defined_ = false;
  bool affine_ = true;
};

}  // namespace cz
