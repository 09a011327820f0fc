#include "georef/ViewMapping.h"

#include "geo/Rounding.h"

namespace cz {

PixelPoint ViewMapping::ToView(PixelPoint source) const {
  const double scale = EffectiveScale();
  return {RoundToInt32(source.X * scale + HorizontalOffset),
          RoundToInt32(source.Y * scale + VerticalOffset)};
}

PixelPoint ViewMapping::ToSource(std::int32_t u, std::int32_t v) const {
  const double scale = EffectiveScale();
  // u + scroll position, with the scroll position = −offset; in double, so nothing overflows.
  return {TruncToInt32((static_cast<double>(u) - HorizontalOffset) / scale),
          TruncToInt32((static_cast<double>(v) - VerticalOffset) / scale)};
}

}  // namespace cz
