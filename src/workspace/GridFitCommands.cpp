#include "workspace/GridFitCommands.h"

#include <cstdio>
#include <iostream>

namespace cz {

GridReport FitSourceGrid(MapSourceState& source, UserInterface& ui) {
  GridReport report = FindGraticule(source.Image, source.GeoRef, [&ui](double) {
    ui.ProcessEvents();
    return !ui.CancelRequested();
  });
  if (report.Flagged() < static_cast<std::int32_t>(report.Points.size())) {
    source.GeoRef = WithFittedGrid(source.GeoRef, report);
    SaveMapINI(source);
  }
  return report;
}

void FitGridOnCommandLine(MapSourceState& source, UserInterface& ui) {
  const GridReport report = FitSourceGrid(source, ui);
  std::cerr << GridFitSummary(report) << '\n';
  // The five points farthest from their neighbours, as a person checks them first.
  int shown = 0;
  for (const std::size_t k : report.Worst()) {
    if (shown++ == 5) break;
    const ReportedPoint& p = report.Points[k];
    char line[160];
    std::snprintf(line, sizeof line, "  point %d/%d: %s, shift %.1f %.1f px, residual %.1f px",
                  p.Column + 1, p.Row + 1,
                  p.Mark == PointMark::Flagged ? "flagged" : p.Mark == PointMark::Doubtful ? "doubtful" : "good",
                  p.ShiftX(), p.ShiftY(), p.Residual);
    std::cerr << line << '\n';
  }
}

}  // namespace cz
