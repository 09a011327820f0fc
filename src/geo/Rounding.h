#pragma once
// Conversions of floating-point results to 32-bit pixel and angle integers.
//
// Round is to the nearest integer with ties to even (the floating-point default mode), Trunc
// drops the fraction toward zero. A plain cast of a value outside the int32 range, or of a
// NaN, has undefined behaviour; these helpers saturate instead (NaN gives 0). Callers that
// keep their values in range never see the difference; the saturation is the safety net for
// hostile input.

#include <cmath>
#include <cstdint>
#include <limits>

namespace cz {

inline std::int32_t SaturateToInt32(double whole) {
  if (std::isnan(whole)) return 0;
  if (whole <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (whole >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(whole);
}

inline std::int32_t RoundToInt32(double value) {
  return SaturateToInt32(std::nearbyint(value));
}
inline std::int32_t TruncToInt32(double value) {
  return SaturateToInt32(std::trunc(value));
}

// An int64 result known to fit, or saturated when it does not.
inline std::int32_t NarrowToInt32(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

}  // namespace cz
