#pragma once
// The screen mapping of the chart view: one scale for both axes and the offsets of the view,
// which are minus the scroll positions (never positive).
//
// A source pixel (x, y) shows at view pixel (Round(x × Scale + HorizontalOffset),
// Round(y × Scale + VerticalOffset)); a click at view pixel (u, v) means source pixel
// (Trunc((u − HorizontalOffset) / Scale), Trunc((v − VerticalOffset) / Scale)). The view's
// scale runs from 0.01 to 1.01; a scale that is not a positive number is taken as 1, so no
// mapping divides by zero.

#include <cstdint>

#include "georef/Segments.h"

namespace cz {

struct ViewMapping {
  double Scale = 1.0;
  std::int32_t HorizontalOffset = 0;  // minus the horizontal scroll position
  std::int32_t VerticalOffset = 0;    // minus the vertical scroll position

  double EffectiveScale() const { return Scale > 0.0 ? Scale : 1.0; }  // false for NaN too
  PixelPoint ToView(PixelPoint source) const;
  PixelPoint ToSource(std::int32_t u, std::int32_t v) const;
};

}  // namespace cz
