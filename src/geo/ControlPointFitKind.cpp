#include "geo/ControlPointFitKind.h"

namespace cz {

std::optional<ControlPointFitKind> ParseControlPointFitKind(std::string_view text) {
  if (text == "1") return ControlPointFitKind::Order1;
  if (text == "2") return ControlPointFitKind::Order2;
  if (text == "3") return ControlPointFitKind::Order3;
  if (text == "spline") return ControlPointFitKind::Spline;
  return std::nullopt;
}

std::string ControlPointFitKindText(ControlPointFitKind kind) {
  switch (kind) {
    case ControlPointFitKind::Order1:
      return "1";
    case ControlPointFitKind::Order2:
      return "2";
    case ControlPointFitKind::Order3:
      return "3";
    case ControlPointFitKind::Spline:
      break;
  }
  return "spline";
}

std::string ControlPointFitKindName(ControlPointFitKind kind) {
  if (kind == ControlPointFitKind::Spline) return "thin-plate spline";
  return "order " + ControlPointFitKindText(kind) + " polynomial";
}

int MinimumControlPoints(ControlPointFitKind kind) {
  switch (kind) {
    case ControlPointFitKind::Order1:
      return 3;
    case ControlPointFitKind::Order2:
      return 6;
    case ControlPointFitKind::Order3:
      return 10;
    case ControlPointFitKind::Spline:
      break;
  }
  return 3;
}

}  // namespace cz
